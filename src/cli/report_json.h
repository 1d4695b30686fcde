// The run report as one JSON document, for scripts:
// {"preview":bool,"trigger":str,"started":str,"ok":bool,
//  "areas":[{"area":str,"removed":n,"bytes":n,"skipped":n,"items":[str],
//            "failures":[{"item":str,"reason":str}],
//            "kept":[{"item":str,"reason":str}]}]}
#pragma once

#include <string>

#include "core/run_report.h"

namespace cli {

std::string reportJson(const core::RunReport& report);

}  // namespace cli
