#pragma once

#include "cli/cli.h"

namespace tarvex::cli {

// Each command returns the exit status: 0 success, 1 failure, 2 bad usage.
int cmdInit(Context &context);
// load FILE.xdt: the working tables get the records of the file (all or nothing).
int cmdLoad(Context &context);
// save FILE.xdt: the working tables are written to the file.
int cmdSave(Context &context);
// The quotation of the working data (3: refused by the price check).
int cmdQuote(Context &context);
// The price completeness check: prints its number and message, then every
// material without a price (3 when something is missing).
int cmdCheck(Context &context);
// prices export|import TABLE FILE: a price table to or from .csv or .xlsx.
int cmdPrices(Context &context);
// The cutting plan of the working data: bars per profile code, as a
// summary, JSON, PDF pages or a workbook.
int cmdCut(Context &context);
// The drawing library: list, import, export and the demo library.
int cmdLibrary(Context &context);
// The firm's server: the shared schema and roles, a workstation's working
// area, and copies of the shared tables to and from the files.
int cmdServer(Context &context);
// The customer offer of the working data: numbered, recorded, as PDF (and
// workbook, JSON); 3 when the price check refuses.
int cmdOffer(Context &context);
// The register of offers: list, show (the recorded PDF), revise, delete.
int cmdOffers(Context &context);
// offers revise NUMBER: a revision with today's prices.
int reviseOffer(Context &context, CommandLine &line);
// The remnant stock: list, add and remove remnants.
int cmdRemnants(Context &context);

} // namespace tarvex::cli
