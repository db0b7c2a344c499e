// What a number field of a record may hold: the same bound on the form that saves
// it and on the server that stores it, so that nothing the store cannot keep
// exactly reaches it, whoever sends it.
//
// Amounts are doubles shown with two decimals: 13 integer digits and two decimals
// are 15 significant digits, which a double keeps to the cent. Ratios, shares and
// rates are fractions. The co-insurance coefficient also travels as a float, which
// keeps 7 significant digits: 5 integer digits and two decimals.
#pragma once

namespace kel::records {

struct NumberBound {
    double lo;
    double hi;
    // The bounds are the field's meaning (0 to 100 %), not only its room: a
    // refusal names both ("必须在0到100之间") instead of the side that was passed.
    bool range;
};

inline constexpr NumberBound kFractionBound{0, 1, true};
inline constexpr NumberBound kAmountBound{0, 9999999999999.99, false};
inline constexpr NumberBound kCoefficientBound{0, 99999.99, false};
// A reinsurer's reserve fund and capital: texts of up to 7 integer digits and 6
// decimals, as their numeric edits take them.
inline constexpr NumberBound kFundBound{0, 9999999.999999, false};
// Lines, periods: whole numbers, not negative.
inline constexpr NumberBound kCountBound{0, 2147483647, false};

inline bool WithinBound(double value, NumberBound b) { return value >= b.lo && value <= b.hi; }

}  // namespace kel::records
