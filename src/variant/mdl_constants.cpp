#include "variant/mdl_constants.hpp"

namespace kestrune::mdl_Constants {

const LastingText value_error(value_error_text);

}  // namespace kestrune::mdl_Constants
