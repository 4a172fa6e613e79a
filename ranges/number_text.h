#pragma once
// Number texts as an engineer types them or a file holds them: an optional
// sign, digits, and for decimals a separator, "," or "." whatever the
// locale says (no field of this program has group separators). The value
// editor and the grids read texts with the same rules.

#include <QString>
#include <cstdint>
#include <optional>

namespace vmk {

// A whole number: optional sign, digits, blanks around allowed. Nothing
// when the text is not such a number. Values beyond +-10^15 are held there.
std::optional<std::int64_t> parseInteger(const QString& text);

// text x scale, rounded to the nearest integer, half-way cases to the even
// neighbour. Nothing when the text is not a number (also more than nine
// significant fraction digits). Whole parts beyond 10^6 (scale at most
// 1000) give +-10^15.
std::optional<std::int64_t> parseScaled(const QString& text, int scale);

// text x scale when that is a whole number: "4,50" at scale 100 is 450,
// "4,505" is nothing. What is typed is never rounded into another value.
std::optional<std::int64_t> parseExact(const QString& text, int scale);

}  // namespace vmk
