#pragma once

#include <QTemporaryDir>

#include <memory>

namespace tarvex {

// Without a desktop session XDG_RUNTIME_DIR is unset and Qt warns about it on
// every run. This makes a private folder of a random name in the temp folder
// for the run and names it in XDG_RUNTIME_DIR; it is removed with the
// returned object. Nothing is made (nullptr) when the variable is set or the
// folder cannot be made. A folder of a fixed name would let another user
// plant it, or a link to a folder of the victim's, beforehand.
std::unique_ptr<QTemporaryDir> providePrivateRuntimeFolder();

} // namespace tarvex
