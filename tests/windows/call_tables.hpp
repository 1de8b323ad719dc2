// Runs a shared call table (tests/data/member_calls*.txt) through IDispatch::Invoke.
//
//   run_call_table(*kestrune, "member_calls.txt", checks);
#pragma once

#include <string>

#include "client_support.hpp"

namespace kestrune::client {

void run_call_table(IDispatch& object, const std::string& path, Checks& checks);

}  // namespace kestrune::client
