// Small builders for the entry fields the editors share.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include "editors/field_behaviour.h"

namespace varlen::gui {

inline QLineEdit* AddLineField(QWidget* owner, QGridLayout* layout, int row, const QString& label,
                               const QString& name, std::optional<editing::KeyFilter> filter,
                               QWidget* labelWidget = nullptr) {
    auto* edit = new QLineEdit(owner);
    edit->setObjectName(name);
    if (!labelWidget) labelWidget = new QLabel(label, owner);
    layout->addWidget(labelWidget, row, 0);
    layout->addWidget(edit, row, 1);
    AttachFieldBehaviour(edit, filter);
    return edit;
}

inline QComboBox* AddListField(QWidget* owner, QGridLayout* layout, int row, const QString& label,
                               const QString& name) {
    auto* list = new QComboBox(owner);
    list->setObjectName(name);
    list->setMinimumContentsLength(6);
    layout->addWidget(new QLabel(label, owner), row, 0);
    layout->addWidget(list, row, 1);
    AttachFieldBehaviour(list, std::nullopt);
    return list;
}

inline QString FromStd(const std::string& text) {
    return QString::fromStdString(text);
}
inline std::string ToStd(const QString& text) {
    return text.toStdString();
}

// Fills a number list "1" .. count with the first entry chosen. Filling happens with the signals held,
// so the caller shows the chosen entry's description itself: the position may not have changed.
inline void FillNumberList(QComboBox* list, int count) {
    list->blockSignals(true);
    list->clear();
    for (int n = 1; n <= count; ++n)
        list->addItem(QString::number(n));
    list->setCurrentIndex(count == 0 ? -1 : 0);
    list->blockSignals(false);
}

} // namespace varlen::gui
