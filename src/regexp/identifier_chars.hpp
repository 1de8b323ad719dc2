// Which code points may start or continue a capture-group name (ECMAScript's
// IdentifierStartChar and IdentifierPartChar: Unicode ID_Start / ID_Continue, "$", "_",
// and for the part also ZWNJ and ZWJ).
#pragma once

namespace kestrune::regexp_internal {

bool is_identifier_start(char32_t code_point);
bool is_identifier_part(char32_t code_point);

}  // namespace kestrune::regexp_internal
