#pragma once

// The program's name wherever it keeps something of the user's: the settings
// store, the per-user folders, the single-instance lock, the window caption.

namespace storage {

inline constexpr auto kApplicationName = u"VorFJP";

} // namespace storage
