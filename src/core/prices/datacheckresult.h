#pragma once

namespace tarvex {

// The answer of the price check (DataCheck) with the system's values: the
// first kind of material found without its price, 0 when all are priced.
enum class DataCheckResult : short {
    AllPriced = 0,
    ProfileWithoutWeight = 1,
    AccessoryWithoutPrice = 2,
    GlassWithoutPrice = 3,
};

} // namespace tarvex
