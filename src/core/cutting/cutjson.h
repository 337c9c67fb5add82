#pragma once

#include "core/cutting/cutplan.h"

#include <QByteArray>

#include <functional>

namespace tarvex {

// The plan for other programs: settings, every code with its bars (each bar's
// cuts with length, series and window, the offcut left after the last saw
// cut, and for a bar cut from a remnant "remnant": {id, length, from}), the
// new bars, their bound and whether the plan is proven minimal, and the
// pieces left out. Lengths are numbers in metres.
QByteArray cutPlanJson(const CutPlan &plan);

// The same text handed to write piece by piece, a bar at a time, so that a
// plan of half a million cuts never holds it whole.
void writeCutPlanJson(const CutPlan &plan, const std::function<void(const QByteArray &)> &write);

} // namespace tarvex
