#include "sim/SimOptions.h"

#include <string_view>

#include "platform/NumberText.h"
#include "sim/ControlCommands.h"

namespace kestrel {
namespace {

constexpr uint64_t kMaxMilliseconds = 3'600'000;  // an hour is long enough for any delay

bool ParseMilliseconds(std::string_view option, std::string_view text, uint64_t& value,
                       std::string& error) {
    const std::optional<uint64_t> parsed = ReadDecimal(text, kMaxMilliseconds);
    if (!parsed) {
        error = std::string(option) + " takes milliseconds from 0 to " +
                std::to_string(kMaxMilliseconds) + ", not '" + std::string(text) + "'";
        return false;
    }
    value = *parsed;
    return true;
}

}  // namespace

bool ParseSimOptions(int argc, const char* const* argv, SimOptions& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "--help" || option == "-h") {
            options.help = true;
            continue;
        }
        if (option == "--verbose" || option == "-v") {
            options.verbose = true;
            continue;
        }
        const bool takesValue = option == "--tcp" || option == "--pty" || option == "--control" ||
                                option == "--mode" || option == "--phase-ms" ||
                                option == "--periodic-ms" || option == "--fault" ||
                                option == "--record";
        if (!takesValue) {
            error = "unknown option '" + std::string(option) + "' (see --help)";
            return false;
        }
        if (i + 1 >= argc) {
            error = std::string(option) + " needs a value";
            return false;
        }
        const std::string_view value = argv[++i];
        if (option == "--tcp") {
            options.tcpAddress = value;
        } else if (option == "--pty") {
            options.ptyPath = value;
        } else if (option == "--control") {
            options.controlAddress = value;
        } else if (option == "--mode") {
            if (!ParseModeName(value, options.printer.mode)) {
                error = "--mode takes ventrix, smart, serial or normal, not '" +
                        std::string(value) + "'";
                return false;
            }
        } else if (option == "--phase-ms") {
            if (!ParseMilliseconds(option, value, options.printer.phaseMilliseconds, error)) {
                return false;
            }
        } else if (option == "--periodic-ms") {
            if (!ParseMilliseconds(option, value, options.printer.periodicMilliseconds, error)) {
                return false;
            }
        } else if (option == "--fault") {
            options.faults.emplace_back(value);
        } else {
            options.recordPath = value;
        }
    }
    return true;
}

std::string SimUsage() {
    std::string text =
        "Usage: vantor-sim [options]\n"
        "A simulated Vantor 60 ticket printer for the Kestrel console: it answers status\n"
        "requests, prints tickets through their four phases and fails on request.\n"
        "\n"
        "Options:\n"
        "  --tcp HOST:PORT      serve the console over TCP (default 127.0.0.1:9100;\n"
        "                       port 0 picks a free port). One connection at a time; the\n"
        "                       next is accepted after a disconnect.\n"
        "  --pty PATH           also serve a pseudo-terminal and link its slave at PATH\n"
        "                       (an existing link there is replaced), for a serial port.\n"
        "  --control HOST:PORT  control channel (default 127.0.0.1:0, a free port).\n"
        "  --mode MODE          ventrix (default), smart, serial or normal.\n"
        "  --phase-ms N         delay of each ticket phase (default 300).\n"
        "  --periodic-ms N      also send status every N ms unasked (default 0: off):\n"
        "                       a status packet (ventrix) or a 0x81 record (smart).\n"
        "  --fault COMMAND      apply a control command at start, e.g. --fault jam\n"
        "                       --fault 'bad-crc 2' (repeatable).\n"
        "  --record FILE        write every byte received and sent to FILE.\n"
        "  --verbose            log packets to stderr as they are decoded.\n"
        "  --help               show this text.\n"
        "\n"
        "On start the first lines of standard output say where it listens:\n"
        "  tcp 127.0.0.1:40123\n"
        "  pty /tmp/vantor -> /dev/pts/3\n"
        "  control 127.0.0.1:40124\n"
        "It runs until SIGINT or SIGTERM.\n"
        "\n"
        "Dialects:\n"
        "  ventrix  packets 02 type length payload CRC-16/KERMIT (low byte first); a null\n"
        "           packet 02 00 is answered with 02 00, a status request (type 0x12) with\n"
        "           a status packet; Clear-all (payload \"^C|^^C|j|^\") clears the done\n"
        "           bits; a packet with a bad CRC is dropped and counted; any other\n"
        "           packet is ticket data.\n"
        "  smart    the polls 1d 7e 53 53 81 and 1d 79 are answered with the records\n"
        "           0x81, 0x82, 0x83 and 0x8a; other bytes are ticket data, whose\n"
        "           progress is reported with 0x85, 0x86 and 0x87 records.\n"
        "  serial   packets ff, length (2 bytes), sequence, 00, data, CRC-16/ARC (high\n"
        "           byte first); a packet holding a Smart poll is answered with a serial\n"
        "           packet of the Smart records, any other data is ticket data.\n"
        "  normal   bytes are taken as ticket data; nothing is answered.\n"
        "\n"
        "Ticket phases, each --phase-ms after the one before (from the last ticket data):\n"
        "  busy, barcode(s) done, paper in chute, top of next form (busy clears).\n"
        "\n"
        "Control channel: connect with e.g. 'nc 127.0.0.1 PORT' and type one command a\n"
        "line; each is answered with one line, \"ok ...\" or \"error: ...\".\n"
        "  ";
    text += kControlHelp;
    text +=
        "\n"
        "  A condition stays set until 'NAME off' or 'clear'; every condition but paper\n"
        "  low and the ticket phase bits stops the ticket in its phase. bad-crc N damages\n"
        "  the CRC of the next N packets sent; drop-after N closes the connection once N\n"
        "  more bytes have arrived (a pseudo-terminal is replaced by a new one); status\n"
        "  shows the status bytes, the set conditions, the ticket and the counters.\n"
        "\n"
        "Record file (--record): one line per chunk of bytes,\n"
        "  <seconds since start, 3 decimals> <rx|tx> <bytes as hex pairs>\n"
        "  e.g. 12.345 rx 02 12 05 3b 9a\n"
        "  rx is received from the console, tx sent to it. Lines starting with '#' note\n"
        "  connections and disconnections.\n";
    return text;
}

}  // namespace kestrel
