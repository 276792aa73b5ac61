// The application's style with the check mark boxes of check boxes and radio buttons sized to
// the dialog font, as the dialog platform sizes them: seven vertical dialog units, so that boxes
// in rows eight units apart (the console's mode boxes) keep a gap between them.
#pragma once

#include <QProxyStyle>

#include "ui/DialogUnits.h"

namespace kestrel {

class TemplateStyle : public QProxyStyle {
    Q_OBJECT

  public:
    explicit TemplateStyle(const DialogUnits& units);

    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;

    // The one style of a dialog's controls, kept as a child of the dialog.
    static TemplateStyle* For(QWidget* dialog, const DialogUnits& units);

  private:
    int m_indicatorSide;
};

}  // namespace kestrel
