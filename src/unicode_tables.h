// What each code point is, as the terminal view needs it: a table that
// scripts/unicode-tables writes into unicode_tables.cpp from the Unicode
// Character Database, whose version that file names.
#pragma once

#include <cstddef>
#include <cstdint>

// A code point's properties, as bits: property_bits of them. A character
// that is not shown has none.
constexpr unsigned property_bits = 6;
enum : std::uint8_t {
   // Assigned by Unicode 11.0 (see scripts/unicode-tables), not a control,
   // surrogate, private-use character or noncharacter, and not hidden: not
   // a default-ignorable or format character (General_Category Cf), which
   // takes in the joiners and variation selectors, nor a space or separator
   // other than U+0020, U+2800 BRAILLE PATTERN BLANK or a Hangul filler.
   shown = 0x01,
   mark = 0x02,  // a combining mark, General_Category Mn, Mc or Me: drawn on the character before it
   // Hangul_Syllable_Type L, V and T: conjoining jamo, of which a vowel or
   // a trailing consonant is drawn on the character before it.
   leading_jamo = 0x04,
   vowel_jamo = 0x08,
   trailing_jamo = 0x10,
   // A precomposed syllable, Hangul_Syllable_Type LV or LVT (which one
   // follows from its place: see terminal_safe.cpp).
   hangul_syllable = 0x20,
};

// Each run of code points with the same properties, in order: its first
// code point shifted left by property_bits, and its properties. The first
// run starts at U+0000, the last one ends at U+10FFFF.
extern const std::uint32_t property_runs[];
extern const std::size_t property_run_count;
