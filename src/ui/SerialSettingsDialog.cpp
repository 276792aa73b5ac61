#include "ui/SerialSettingsDialog.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <array>

#include "platform/DialogHost.h"
#include "ui/Cp1252QString.h"
#include "ui/DialogUnits.h"
#include "ui/QtDialogHost.h"

namespace kestrel {
namespace {

constexpr uint32_t kDefaultSpeed = 9600;
constexpr uint8_t kFewestDataBits = 5;
constexpr uint8_t kMostDataBits = 8;
constexpr std::array<uint32_t, 17> kStandardSpeeds = {110,    300,    600,    1200,   2400,  4800,
                                                      9600,   14400,  19200,  38400,  57600, 115200,
                                                      128000, 230400, 256000, 460800, 921600};
constexpr std::array<const char*, 5> kParityNames = {"None", "Odd", "Even", "Mark", "Space"};
constexpr std::array<const char*, 3> kStopBitNames = {"1", "1.5", "2"};
constexpr std::array<const char*, 3> kFlowNames = {"None", "Xon / Xoff", "Hardware"};

QComboBox* NamedChoices(const char* const* names, size_t count, int current) {
    auto* combo = new QComboBox;
    for (size_t i = 0; i < count; ++i) {
        combo->addItem(QString::fromLatin1(names[i]));
    }
    combo->setCurrentIndex(current);
    return combo;
}

// The form: one row per setting, OK and Cancel.
class SerialSettingsForm : public QDialog {
  public:
    SerialSettingsForm(const std::string& portName, const SerialChoices& choices, QWidget* parent)
        : QDialog(parent) {
        setWindowTitle(QStringLiteral("Serial settings: ") + Cp1252ToQString(portName));
        setFont(DialogFont());
        auto* form = new QFormLayout(this);

        m_speed = new QComboBox;
        m_speed->setEditable(true);
        m_speed->setInsertPolicy(QComboBox::NoInsert);
        for (const uint32_t speed : kStandardSpeeds) {
            m_speed->addItem(QString::number(speed));
        }
        m_speed->setEditText(QString::number(choices.speed));
        m_speed->lineEdit()->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("[1-9][0-9]{0,9}")), m_speed));
        form->addRow(QStringLiteral("&Bits per second:"), m_speed);

        m_dataBits = new QComboBox;
        for (uint8_t bits = kFewestDataBits; bits <= kMostDataBits; ++bits) {
            m_dataBits->addItem(QString::number(bits));
        }
        m_dataBits->setCurrentIndex(choices.dataBits - kFewestDataBits);
        form->addRow(QStringLiteral("&Data bits:"), m_dataBits);

        m_parity = NamedChoices(kParityNames.data(), kParityNames.size(), choices.parity);
        form->addRow(QStringLiteral("&Parity:"), m_parity);
        m_stopBits = NamedChoices(kStopBitNames.data(), kStopBitNames.size(), choices.stopBits);
        form->addRow(QStringLiteral("&Stop bits:"), m_stopBits);
        m_flow = NamedChoices(kFlowNames.data(), kFlowNames.size(), static_cast<int>(choices.flow));
        form->addRow(QStringLiteral("&Flow control:"), m_flow);

        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        // A speed that is not a number cannot be taken.
        QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
        connect(m_speed, &QComboBox::editTextChanged, ok,
                [this, ok] { ok->setEnabled(Speed() > 0); });
        form->addRow(buttons);
    }

    SerialChoices Choices() const {
        SerialChoices choices;
        choices.speed = Speed();
        choices.dataBits = static_cast<uint8_t>(kFewestDataBits + m_dataBits->currentIndex());
        choices.parity = static_cast<uint8_t>(m_parity->currentIndex());
        choices.stopBits = static_cast<uint8_t>(m_stopBits->currentIndex());
        choices.flow = static_cast<FlowControl>(m_flow->currentIndex());
        return choices;
    }

  private:
    uint32_t Speed() const {
        bool ok = false;
        const qulonglong speed = m_speed->currentText().toULongLong(&ok);
        return ok && speed <= UINT32_MAX ? static_cast<uint32_t>(speed) : 0;
    }

    QComboBox* m_speed = nullptr;
    QComboBox* m_dataBits = nullptr;
    QComboBox* m_parity = nullptr;
    QComboBox* m_stopBits = nullptr;
    QComboBox* m_flow = nullptr;
};

QWidget* OwnerWidget(const void* ownerWindow) {
    if (ownerWindow == nullptr) {
        return nullptr;
    }
    auto* host = const_cast<DialogHost*>(static_cast<const DialogHost*>(ownerWindow));
    return dynamic_cast<QtDialogHost*>(host);
}

}  // namespace

SerialChoices ChoicesFromDcb(const DCB& dcb) {
    SerialChoices choices;
    choices.speed = dcb.BaudRate != 0 ? dcb.BaudRate : kDefaultSpeed;
    if (dcb.ByteSize >= kFewestDataBits && dcb.ByteSize <= kMostDataBits) {
        choices.dataBits = dcb.ByteSize;
    }
    if (dcb.Parity <= kSpaceParity) {
        choices.parity = dcb.Parity;
    }
    if (dcb.StopBits <= kTwoStopBits) {
        choices.stopBits = dcb.StopBits;
    }
    if ((dcb.Flags & kDcbOutxCtsFlow) != 0) {
        choices.flow = FlowControl::Hardware;
    } else if ((dcb.Flags & kDcbOutX) != 0) {
        choices.flow = FlowControl::XonXoff;
    }
    return choices;
}

void ApplyChoices(const SerialChoices& choices, DCB& dcb) {
    dcb.DCBlength = sizeof(DCB);
    dcb.BaudRate = choices.speed;
    dcb.ByteSize = choices.dataBits;
    dcb.Parity = choices.parity;
    dcb.StopBits = choices.stopBits;
    uint32_t flags = dcb.Flags | kDcbBinary;
    flags = choices.parity != kNoParity ? (flags | kDcbParity) : (flags & ~kDcbParity);
    flags &= ~(kDcbOutX | kDcbInX | kDcbOutxCtsFlow | kDcbOutxDsrFlow | kDcbDtrControlMask |
               kDcbRtsControlMask);
    flags |= kDcbDtrControlEnable;
    switch (choices.flow) {
        case FlowControl::None:
            flags |= kDcbRtsControlEnable;
            break;
        case FlowControl::XonXoff:
            flags |= kDcbOutX | kDcbInX | kDcbRtsControlEnable;
            break;
        case FlowControl::Hardware:
            flags |= kDcbOutxCtsFlow | kDcbRtsControlHandshake;
            break;
    }
    dcb.Flags = flags;
}

bool SerialSettingsDialog::Run(const std::string& portName, const void* ownerWindow,
                               COMMCONFIG* config) {
    if (config == nullptr || IsHeadlessPlatform()) {
        return false;
    }
    SerialSettingsForm form(portName, ChoicesFromDcb(config->dcb), OwnerWidget(ownerWindow));
    if (form.exec() != QDialog::Accepted) {
        return false;
    }
    ApplyChoices(form.Choices(), config->dcb);
    if (config->dwSize == 0) {
        config->dwSize = sizeof(COMMCONFIG);
    }
    return true;
}

}  // namespace kestrel
