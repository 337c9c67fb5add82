#pragma once

namespace tarvex {

// Whether a record dialog adds a record or modifies the one it was opened on;
// the values are the ones the dialogs were always told (1 add, 2 modify).
enum class EntryMode : short { Add = 1, Modify = 2 };

} // namespace tarvex
