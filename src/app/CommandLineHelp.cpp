#include "app/CommandLineHelp.h"

#include "app/PortListing.h"

namespace kestrel {

std::string HelpText() {
    return "Usage: kestrel [OPTION]...\n"
           "Operator and diagnostic console of the Vantor 60 ticket printer.\n"
           "\n"
           "Options may start with '-', '/' or neither; case does not matter.\n"
           "\n"
           "  ventrix                  keep Ventrix Mode offered (any word starting \"ventr\")\n"
           "  fact                     factory set-up: Serial Packet Mode on COM1\n"
           "  s                        silent: no visible window (any word starting with s)\n"
           "  file:<path>              send the commands in <path> shortly after start-up\n"
           "  port:<name>              use port <name>: COM3, LPT1, USB001, 10.0.0.25:9100,\n"
           "                           a print queue, or a device path such as /dev/ttyUSB0\n"
           "  portsetup:<settings>     serial settings, as 9600,n,8,1 or\n"
           "                           \"portsetup:baud=9600 parity=n data=8 stop=1\"\n"
           "  handshake:<none|xon|hardware>\n"
           "                           flow control of the serial port\n"
           "  exit                     end after the command file is sent (any word\n"
           "                           starting with e)\n"
           "  RegServer                add Kestrel to the desktop's applications, then end\n"
           "  UnregServer              remove it from there, then end\n"
           "  --help                   show this help and end\n"
           "  --version                show the version and end\n"
           "  --list-ports             show the ports the port dialog offers, one a line,\n"
           "                           and end\n"
           "  --replay <recording>     play a session recording back; nothing is sent\n"
           "\n"
           "Settings: $KESTREL_SETTINGS, else $XDG_CONFIG_HOME/Quillon/IOCommKestrel.reg.\n"
           "Log: Kestrel.log in the current directory; started from the desktop, in\n"
           "$XDG_DATA_HOME/Norvane/Kestrel/demo, made from the installed demo tickets.\n"
           "\n"
           "SIGINT, SIGTERM and SIGHUP close the console as Exit does; a second signal\n"
           "during the close ends the program at once.\n"
           "\n"
           "Exit status:\n"
           "  0      the console was closed (also by a signal), or the file: job sent\n"
           "         every byte\n"
           "  1      a file: job did not send the whole file: the port or the file\n"
           "         failed, or a signal cut it short\n"
           "  2      no display, and neither s nor file: was given\n"
           "  128+N  a second signal N ended the program during the close (130 for\n"
           "         Ctrl+C twice)\n";
}

std::optional<std::string> InformationRequest(const std::vector<std::string>& args) {
    return InformationRequest(args, PortEnvironment{});
}

std::optional<std::string> InformationRequest(const std::vector<std::string>& args,
                                              const PortEnvironment& environment) {
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h" || arg == "-?" || arg == "/?") {
            return HelpText();
        }
        if (arg == "--version") {
            return std::string(kVersionText) + "\n";
        }
        if (arg == "--list-ports") {
            return PortListText(environment);
        }
    }
    return std::nullopt;
}

}  // namespace kestrel
