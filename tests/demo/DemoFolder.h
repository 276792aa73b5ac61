// The demo folder as the tests read it: tickets by title, their lines and converted bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestrel::testing {

inline const std::string kDemoFolder = KESTREL_DEMO_FOLDER;

// Titles of every "*.dmo" in the demo folder, sorted.
std::vector<std::string> DemoTicketTitles();
std::string DemoFile(const std::string& name);
// The file's lines without their line feeds; a last line without one counts too.
std::vector<std::string> SplitLines(const std::string& text);
// The bytes `text` converts to in the bracket notation.
std::vector<uint8_t> Encode(const std::string& text);

}  // namespace kestrel::testing
