#pragma once
#include <QString>

namespace share {

// The window's local socket for this user: in the user's runtime folder, which only the user
// may enter, beside the single-instance lock.
QString shareSocketPath();

} // namespace share
