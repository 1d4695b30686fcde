#include "cli/help_text.h"

#include "identity.h"

namespace cli {

std::string helpText() {
  return R"(Usage: tracesweep [OPTION]...
Clears browser traces, the temporary folder and the trash, and securely wipes
files. Without options it starts in the notification area.

  --clear AREA[,AREA...]  clear these areas without a window: cookies, cache,
                          history, temp, trash, all, or chosen (the areas
                          ticked on the General page)
  --dry-run               with --clear: list what would be removed, change
                          nothing
  --secure                with --clear: as "Secure Wipe all other areas"
  --json                  with --clear or --wipe-free-space: print the
                          report as JSON
  --wipe PATH...          securely wipe these files and folders
  --passes 1|3|7          with --wipe: overwrite passes (default 3); with
                          --wipe-free-space: fills (default 1)
  --yes-really            with --wipe: also wipe a system folder, the home
                          folder or a folder that holds it
  --wipe-free-space PATH  overwrite the free space of the drive that holds
                          PATH, so that deleted files cannot be recovered
  --include-reserved      with --wipe-free-space: also fill the space kept
                          for the administrator (root only)
  --keep SITE...          keep these sites' cookies through every clearing
                          (by registrable site: www.example.co.uk keeps
                          example.co.uk; localhost and addresses as they are)
  --unkeep SITE...        take these sites off the keep list
  --kept                  print the keep list, one site a line
  --keep-from-browsers    add the sites the browsers always allow to keep
                          cookies (Firefox and Chromium exceptions, and
                          the administrator's policies)
  -h, --help              print this help and exit
  -V, --version           print the version and exit

Exit status: 0 when everything asked for was done, 1 when something could
not be cleared or wiped (the rest still was), the report not written or a
site cannot be kept (a public suffix such as co.uk), 2 for a usage error.
The automatic runs and --clear keep their reports in
$XDG_STATE_HOME/tracesweep/clear.log. See tracesweep(1).
)";
}

std::string versionText() {
  return "tracesweep " + std::to_string(identity::kMajor) + "." + std::to_string(identity::kMinor) +
         "\n";
}

}  // namespace cli
