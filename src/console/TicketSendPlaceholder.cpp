// Stand-in ticket senders until the ticket printing code provides them: the whole file or each
// non-blank line converted and transmitted.
#include <fstream>
#include <sstream>

#include "app/CKestrelApp.h"
#include "console/CKestrelDlg.h"
#include "notation/EncodeCommandText.h"

namespace kestrel {
namespace {

constexpr int kMaxTicketLines = 2000;

}  // namespace

int CKestrelDlg::SendTicketLines(const std::string& path, bool /*pauseBetweenLines*/,
                                 std::string* error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        *error = "Ticket file not found.";
        return 0;
    }
    int whole = 1;
    std::string line;
    for (int read = 0; read < kMaxTicketLines && std::getline(file, line); ++read) {
        if (line.empty() || line[0] == '\r' || line[0] == '\0') {
            continue;
        }
        const std::string bytes = EncodeCommandBytes(line);
        const int count = static_cast<int>(bytes.size());
        if (SendFramed(reinterpret_cast<const uint8_t*>(bytes.data()), count, true) < count) {
            whole = 0;
        }
    }
    return whole;
}

int CKestrelDlg::SendTicketWhole(const std::string& path, std::string* error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        *error = "Ticket file not found.";
        return 0;
    }
    std::ostringstream text;
    text << file.rdbuf();
    const std::string bytes = EncodeCommandBytes(text.str());
    const int count = static_cast<int>(bytes.size());
    return SendFramed(reinterpret_cast<const uint8_t*>(bytes.data()), count, false) == count ? 1
                                                                                             : 0;
}

}  // namespace kestrel
