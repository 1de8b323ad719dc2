// A stand-in for the running spreadsheet host: an "Excel.Application" automation object with
// DisplayAlerts, ScreenUpdating, AddIns (each with Name and Installed) and MacroOptions, which
// records every call made on it. While registered it is the running object of its class, and
// the ProgID Excel.Application names that class, so GetActiveObject finds it as it finds the
// real host.
//
//   ExcelStandIn host({{u"kestrune.xla", true}});
//   host.register_prog_id();
//   host.register_running();
//   ... create clsKestrune, pump messages ...
//   for (const HostCall& call : host.calls()) ...
#pragma once

#include <windows.h>

#include <oleauto.h>

#include <memory>
#include <string>
#include <vector>

#include "variant/variant.hpp"

namespace kestrune::client {

struct AddInEntry {
  std::u16string name;
  bool installed;
};

// One call on the host, its arguments in positional order (a property's new value for a put).
struct HostCall {
  std::u16string member;  // as the host's member table spells it
  WORD flags;
  std::vector<Variant> arguments;
};

class ExcelStandIn {
 public:
  explicit ExcelStandIn(std::vector<AddInEntry> add_ins);
  ~ExcelStandIn();
  ExcelStandIn(const ExcelStandIn&) = delete;
  ExcelStandIn& operator=(const ExcelStandIn&) = delete;

  // The ProgID Excel.Application and the stand-in's class, in the registry while it lives.
  void register_prog_id();
  void register_running();
  void revoke_running();

  // The nth MacroOptions call from now on (1 for the next) fails; 0 for none.
  void refuse_macro_options_call(int n);

  const std::vector<HostCall>& calls() const;
  void clear_calls();
  bool display_alerts() const;
  bool screen_updating() const;

 private:
  struct State;
  std::shared_ptr<State> state_;
  DWORD running_cookie_ = 0;
  bool prog_id_registered_ = false;
};

}  // namespace kestrune::client
