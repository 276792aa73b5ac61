// "Select Communication Port" (dialog 1033): the operator picks or types the printer's port
// and, for a serial port, sets its line with the serial settings dialog.
#pragma once

#include <string>

#include "platform/DialogEvents.h"

namespace kestrel {

class CKestrelApp;

// "Serial setting not applicable to: %s" is formatted into 128 bytes: names are cut to fit.
inline constexpr size_t kSerialMessageBufferSize = 128;

class PortDialog : public DialogEvents {
  public:
    explicit PortDialog(CKestrelApp& app) : m_app(app) {}

    bool OnInitDialog() override;
    void OnCommand(int id, int notification) override;

    void OnOK();
    void OnSetupSerialPort();
    void OnCloseupPortCombo();

  private:
    // The typed or chosen name of the combo box.
    std::string ChosenName() const;

    CKestrelApp& m_app;
};

// Whether "Setup serial port." applies to a name: it holds "COM", or it is a tty device path.
bool SerialSetupApplies(const std::string& name);

}  // namespace kestrel
