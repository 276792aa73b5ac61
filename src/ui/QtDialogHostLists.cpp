// List boxes, combo boxes and the progress bar of a dialog. Items keep the logic's bytes; a
// sorted control keeps them in ASCII order without case, ties by bytes. Nothing the logic does
// here is reported back as the operator's selection.
#include <QComboBox>
#include <QListWidget>
#include <QProgressBar>
#include <QSignalBlocker>
#include <algorithm>

#include "platform/AsciiText.h"
#include "ui/HostText.h"
#include "ui/QtDialogHost.h"

namespace kestrel {
namespace {

constexpr const char* kProgressStepProperty = "kestrelProgressStep";

QByteArray ItemBytes(const std::string& text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

std::string BytesOf(const QVariant& data) {
    const QByteArray bytes = data.toByteArray();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

// Inserts into a combo box without making the new item the chosen one, as adding to an empty
// combo box would: the edit field keeps its text.
void InsertIntoCombo(QComboBox* combo, int index, const QString& shown, const std::string& text) {
    const int previousIndex = combo->currentIndex();
    const QString previousText = combo->currentText();
    const QSignalBlocker blocker(combo);
    combo->insertItem(index, shown, ItemBytes(text));
    if (previousIndex < 0) {
        combo->setCurrentIndex(-1);
        combo->setEditText(previousText);
    }
}

// The first item from after `start` (-1: from the top), round the list, that matches.
template <typename Matches>
int FindFrom(const QtDialogHost& host, int id, int start, Matches matches) {
    const int count = host.GetCount(id);
    for (int step = 1; step <= count; ++step) {
        const int index = (std::max(start, -1) + step) % count;
        if (matches(host.GetItemString(id, index))) {
            return index;
        }
    }
    return kListError;
}

}  // namespace

void QtDialogHost::ResetContent(int id) {
    QWidget* widget = Control(id);
    if (auto* list = qobject_cast<QListWidget*>(widget)) {
        const QSignalBlocker blocker(list);
        list->clear();
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        const QSignalBlocker blocker(combo);
        combo->clear();
    }
}

int QtDialogHost::AddString(int id, const std::string& text) {
    int index = GetCount(id);
    if ((ControlStyle(id) & kStyleSorted) != 0) {
        index = 0;
        while (index < GetCount(id) && !SortsBeforeInList(text, GetItemString(id, index))) {
            ++index;
        }
    }
    return InsertString(id, index, text);
}

int QtDialogHost::InsertString(int id, int index, const std::string& text) {
    const int count = GetCount(id);
    const int at = index < 0 || index > count ? count : index;
    QWidget* widget = Control(id);
    const QString shown = ToQString(TextKindOfStyle(ControlStyle(id)), text);
    if (auto* list = qobject_cast<QListWidget*>(widget)) {
        const QSignalBlocker blocker(list);
        auto* item = new QListWidgetItem(shown);
        item->setData(Qt::UserRole, ItemBytes(text));
        list->insertItem(at, item);
        return at;
    }
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        InsertIntoCombo(combo, at, shown, text);
        return at;
    }
    return kListError;
}

int QtDialogHost::GetCount(int id) const {
    const QWidget* widget = Control(id);
    if (const auto* list = qobject_cast<const QListWidget*>(widget)) {
        return list->count();
    }
    if (const auto* combo = qobject_cast<const QComboBox*>(widget)) {
        return combo->count();
    }
    return 0;
}

std::string QtDialogHost::GetItemString(int id, int index) const {
    if (index < 0 || index >= GetCount(id)) {
        return std::string();
    }
    const QWidget* widget = Control(id);
    if (const auto* list = qobject_cast<const QListWidget*>(widget)) {
        return BytesOf(list->item(index)->data(Qt::UserRole));
    }
    if (const auto* combo = qobject_cast<const QComboBox*>(widget)) {
        return BytesOf(combo->itemData(index));
    }
    return std::string();
}

int QtDialogHost::GetCurSel(int id) const {
    const QWidget* widget = Control(id);
    int index = kListError;
    if (const auto* list = qobject_cast<const QListWidget*>(widget)) {
        index = list->currentRow();
    } else if (const auto* combo = qobject_cast<const QComboBox*>(widget)) {
        index = combo->currentIndex();
    }
    return index < 0 ? kListError : index;
}

int QtDialogHost::SetCurSel(int id, int index) {
    const bool valid = index >= 0 && index < GetCount(id);
    QWidget* widget = Control(id);
    if (auto* list = qobject_cast<QListWidget*>(widget)) {
        const QSignalBlocker blocker(list);
        list->setCurrentRow(valid ? index : -1);
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        const QSignalBlocker blocker(combo);
        combo->setCurrentIndex(valid ? index : -1);
        if (!valid) {
            combo->setEditText(QString());
        }
    }
    return valid ? index : kListError;
}

int QtDialogHost::FindStringExact(int id, int start, const std::string& text) const {
    return FindFrom(*this, id, start,
                    [&](const std::string& item) { return EqualsNoCase(item, text); });
}

int QtDialogHost::SelectString(int id, int start, const std::string& text) {
    const int index = FindFrom(
        *this, id, start, [&](const std::string& item) { return StartsWithNoCase(item, text); });
    return index == kListError ? kListError : SetCurSel(id, index);
}

void QtDialogHost::SetProgressRange(int id, int lower, int upper) {
    if (auto* progress = qobject_cast<QProgressBar*>(Control(id))) {
        progress->setRange(lower, std::max(lower, upper));
    }
}

void QtDialogHost::SetProgressStep(int id, int step) {
    if (QWidget* widget = Control(id)) {
        widget->setProperty(kProgressStepProperty, step);
    }
}

void QtDialogHost::SetProgressPos(int id, int position) {
    if (auto* progress = qobject_cast<QProgressBar*>(Control(id))) {
        progress->setValue(std::clamp(position, progress->minimum(), progress->maximum()));
    }
}

}  // namespace kestrel
