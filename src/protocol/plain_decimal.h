#pragma once

// The one number rule of the program's hand-typed and hand-edited numbers: the
// device-number field and the area numbers of the content file.

#include <QStringView>
#include <QtGlobal>

#include <optional>

namespace protocol {

// Larger magnitudes are not told apart: every caller's range ends far below.
inline constexpr int kSaturatedMagnitude = 100000;

struct WholeNumber {
    bool negative = false;
    int magnitude = 0;   // at most kSaturatedMagnitude + 1
};

// Plain decimal notation and nothing else, not even blanks: an optional sign "+"
// or "-", digits, and an optional "." with more digits, at least one digit in all
// ("5." and ".5" count). Rounded to a whole number, a value exactly halfway going
// to the even neighbour (254.5 -> 254, 255.5 -> 256), exactly for any number of
// digits. nullopt for anything else: "", "-", ".", "1e3", "0x10", "1,5", "4 0",
// full-width digits.
std::optional<WholeNumber> parsePlainDecimal(QStringView text);

} // namespace protocol
