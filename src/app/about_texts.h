// The texts of the About page.
#pragma once

#include <string>

namespace app::about {

std::string appName();      // the title, a blank and the version: " Norrick Tracesweep 1.0"
std::string programInfo();  // what the program does and the rights notice
std::string address();      // trading name, town, " UK" on three lines
std::string urlText();      // the home page's address as shown
std::string warning();      // the legal notice

}  // namespace app::about
