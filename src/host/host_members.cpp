// The members of clsKestrune that reach the host: object creation, the help file's path and
// the About dialog.
#include "automation/cls_kestrune.hpp"
#include "host/frm_about.hpp"
#include "host/frm_graphics.hpp"
#include "host/help_file.hpp"
#include "search/search_memory.hpp"

namespace kestrune {

clsKestrune::clsKestrune() : search_memory_(std::make_unique<SearchMemory>()) {
  start_function_descriptions();
}

clsKestrune::~clsKestrune() = default;

std::u16string clsKestrune::krHelpfilePath() { return help_file_path(); }

void clsKestrune::krABOUT() { show_frmAbout(); }

}  // namespace kestrune
