// Text from a note list made safe for the picture's XML. Instrument names
// may hold any bytes; an SVG that an XML parser refuses shows nothing at
// all, so every name is decoded as strict UTF-8 first:
//
//   "Fl\xc3\xbbte"    -> F l U+00FB t e
//   "A\xed\xa0\x80B"  -> A U+FFFD U+FFFD U+FFFD B (a surrogate's three bytes)
//   "A\x01B"          -> A B (a control character XML does not allow)

#ifndef MORVANE_ROLL_XML_TEXT_H_
#define MORVANE_ROLL_XML_TEXT_H_

#include <string>
#include <string_view>

namespace morvane {

// The code points of bytes that XML 1.0 may hold. Bytes that are not
// strict UTF-8 (a stray or cut sequence, an overlong form, a surrogate,
// anything above U+10FFFF) become U+FFFD, one for each longest run that
// could have begun a character, as browsers and Python count them; so do
// the noncharacters U+FFFE and U+FFFF. Control characters below U+0020
// other than tab, line feed and carriage return are left out.
std::u32string xml_code_points(std::string_view bytes);

// Appends text as UTF-8 to out, with &, <, > and " escaped: safe inside an
// element or a quoted attribute. Assumes code points xml_code_points gave.
void put_xml_text(std::string& out, std::u32string_view text);

// The same for bytes of any kind: xml_code_points, then put_xml_text.
void put_xml_text(std::string& out, std::string_view bytes);

// Appends value, as the picture's coordinates are written: at most two
// decimals, no trailing zeros, no "-0".
void put_number(std::string& out, double value);

}  // namespace morvane

#endif  // MORVANE_ROLL_XML_TEXT_H_
