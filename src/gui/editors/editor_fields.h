// Small builders for the entry fields the editors share.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include "editors/field_behaviour.h"

namespace varlen::gui {

inline QLineEdit* AddLineField(QWidget* owner, QGridLayout* layout, int row, const QString& label, const QString& name,
                               std::optional<editing::KeyFilter> filter, QWidget* labelWidget = nullptr) {
    auto* edit = new QLineEdit(owner);
    edit->setObjectName(name);
    if (!labelWidget) labelWidget = new QLabel(label, owner);
    layout->addWidget(labelWidget, row, 0);
    layout->addWidget(edit, row, 1);
    AttachFieldBehaviour(edit, filter);
    return edit;
}

inline QComboBox* AddListField(QWidget* owner, QGridLayout* layout, int row, const QString& label, const QString& name) {
    auto* list = new QComboBox(owner);
    list->setObjectName(name);
    list->setMinimumContentsLength(6);
    layout->addWidget(new QLabel(label, owner), row, 0);
    layout->addWidget(list, row, 1);
    AttachFieldBehaviour(list, std::nullopt);
    return list;
}

inline QString FromStd(const std::string& text) { return QString::fromStdString(text); }
inline std::string ToStd(const QString& text) { return text.toStdString(); }

// Fills a number list "1" .. count, keeping the chosen position where it still exists.
inline void FillNumberList(QComboBox* list, int count) {
    const int chosen = list->currentIndex();
    list->blockSignals(true);
    list->clear();
    for (int n = 1; n <= count; ++n) list->addItem(QString::number(n));
    list->blockSignals(false);
    list->setCurrentIndex(count == 0 ? -1 : (chosen >= 0 && chosen < count ? chosen : 0));
}

} // namespace varlen::gui
