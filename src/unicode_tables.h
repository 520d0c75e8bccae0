// What each code point is, as the terminal view needs it: tables that
// scripts/unicode-tables writes into unicode_tables.cpp from the Unicode
// Character Database, whose version that file names.
#pragma once

#include <cstddef>
#include <cstdint>

// A code point's properties, as bits: property_bits of them.
constexpr unsigned property_bits = 9;
enum : std::uint32_t {
   // Assigned, not a control, surrogate, private-use character or
   // noncharacter, and not hidden: not a default-ignorable or format
   // character (General_Category Cf), a space or separator other than
   // U+0020, U+2800 BRAILLE PATTERN BLANK or a Hangul filler.
   shown = 0x001,
   mark = 0x002,           // a combining mark: General_Category Mn, Mc or Me
   joins_forward = 0x004,  // Joining_Type D, L or C: joins the letter after it
   joins_back = 0x008,     // Joining_Type D, R or C: joins the letter before it
   transparent = 0x010,    // Joining_Type T: a mark that joining looks through
   virama = 0x020,         // Indic_Syllabic_Category Virama
   consonant = 0x040,      // a letter of an Indic_Syllabic_Category Consonant...
   // The base of a listed emoji variation sequence, drawn by default as
   // text, or as emoji (Emoji_Presentation).
   text_default = 0x080,
   emoji_default = 0x100,
};

// Each run of code points with the same properties, in order: its first
// code point shifted left by property_bits, and its properties. The first
// run starts at U+0000, the last one ends at U+10FFFF.
extern const std::uint32_t property_runs[];
extern const std::size_t property_run_count;

// The RGI emoji ZWJ sequences: the code points they use, in order; each
// sequence as a string of the positions of its code points among those
// (from 1), ended by a 0, in order, and where each starts.
extern const char32_t zwj_sequence_code_points[];
extern const std::size_t zwj_sequence_code_point_count;
extern const unsigned char zwj_sequences[];
extern const std::uint16_t zwj_sequence_starts[];
extern const std::size_t zwj_sequence_count;
// No sequence is longer, as unicode_tables.cpp checks.
constexpr std::size_t longest_zwj_sequence = 10;
