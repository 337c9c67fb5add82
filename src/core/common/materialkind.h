#pragma once

namespace tarvex {

// The four kinds of project record: profile cuts, accessories, glass pieces
// and windows, in the order of the working tables LcTemp, PjTemp, BlTemp and
// MjTemp. The value is the priced data viewer's page and the raw data
// editor's record kind.
enum class MaterialKind : short { Profile = 0, Accessory = 1, Glass = 2, Window = 3 };

constexpr MaterialKind kMaterialKinds[]
    = {MaterialKind::Profile, MaterialKind::Accessory, MaterialKind::Glass, MaterialKind::Window};

} // namespace tarvex
