#include "browsers/profiles/browser_families.h"

namespace browsers {

namespace {

struct Kind {
  const char* browser;
  const char* title;
};

const Kind kKinds[] = {
    {"firefox", "Firefox"},
    {"firefox-snap", "Firefox (snap)"},
    {"firefox-flatpak", "Firefox (flatpak)"},
    {"librewolf", "LibreWolf"},
    {"librewolf-flatpak", "LibreWolf (flatpak)"},
    {"waterfox", "Waterfox"},
    {"waterfox-flatpak", "Waterfox (flatpak)"},
    {"floorp", "Floorp"},
    {"floorp-flatpak", "Floorp (flatpak)"},
    {"zen", "Zen"},
    {"zen-flatpak", "Zen (flatpak)"},
    {"chromium", "Chromium"},
    {"chromium-snap", "Chromium (snap)"},
    {"chromium-flatpak", "Chromium (flatpak)"},
    {"chrome", "Google Chrome"},
    {"chrome-beta", "Google Chrome Beta"},
    {"chrome-unstable", "Google Chrome Dev"},
    {"chrome-canary", "Google Chrome Canary"},
    {"chrome-flatpak", "Google Chrome (flatpak)"},
    {"brave", "Brave"},
    {"brave-beta", "Brave Beta"},
    {"brave-nightly", "Brave Nightly"},
    {"brave-flatpak", "Brave (flatpak)"},
    {"vivaldi", "Vivaldi"},
    {"vivaldi-snapshot", "Vivaldi Snapshot"},
    {"vivaldi-flatpak", "Vivaldi (flatpak)"},
    {"edge", "Microsoft Edge"},
    {"edge-beta", "Microsoft Edge Beta"},
    {"edge-dev", "Microsoft Edge Dev"},
    {"edge-flatpak", "Microsoft Edge (flatpak)"},
    {"edge-beta-flatpak", "Microsoft Edge Beta (flatpak)"},
    {"opera", "Opera"},
    {"opera-beta", "Opera Beta"},
    {"opera-developer", "Opera Developer"},
    {"opera-gx", "Opera GX"},
    {"opera-flatpak", "Opera (flatpak)"},
};

}  // namespace

std::string browserTitle(const std::string& browser) {
  for (const Kind& kind : kKinds)
    if (browser == kind.browser) return kind.title;
  return browser;
}

}  // namespace browsers
