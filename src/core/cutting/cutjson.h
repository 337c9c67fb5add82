#pragma once

#include "core/cutting/cutplan.h"

#include <QByteArray>

namespace tarvex {

// The plan for other programs: settings, every code with its bars (each bar's
// cuts with length, series and window, the offcut left after the last saw
// cut, and for a bar cut from a remnant "remnant": {id, length, from}), the
// new bars, their bound and whether the plan is proven minimal, and the
// pieces left out. Lengths are numbers in metres.
QByteArray cutPlanJson(const CutPlan &plan);

} // namespace tarvex
