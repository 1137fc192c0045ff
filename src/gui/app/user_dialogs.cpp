#include "app/user_dialogs.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QUrl>

namespace varlen::gui {
namespace {

QMessageBox::Icon ToQt(UserDialogs::Icon icon) {
    switch (icon) {
    case UserDialogs::Icon::Information:
        return QMessageBox::Information;
    case UserDialogs::Icon::Warning:
        return QMessageBox::Warning;
    case UserDialogs::Icon::Critical:
        return QMessageBox::Critical;
    case UserDialogs::Icon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

} // namespace

UserDialogs::Answer QtUserDialogs::Ask(QWidget* parent, const QString& title, const QString& text,
                                       Buttons buttons, Icon icon) {
    QMessageBox box(ToQt(icon), title, text, QMessageBox::NoButton, parent);
    if (buttons == Buttons::YesNoCancel) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No);
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

void QtUserDialogs::Tell(QWidget* parent, const QString& title, const QString& text, Icon icon) {
    QMessageBox box(ToQt(icon), title, text, QMessageBox::Ok, parent);
    box.exec();
}

std::optional<QString> QtUserDialogs::Input(QWidget* parent, const QString& title, const QString& prompt) {
    bool ok = false;
    const QString text = QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, QString(), &ok);
    if (!ok) return std::nullopt;
    return text;
}

QString QtUserDialogs::OpenFileName(QWidget* parent, const QString& title, const QString& filter,
                                    const QString& current) {
    return QFileDialog::getOpenFileName(parent, title, current, filter);
}

QString QtUserDialogs::SaveFileName(QWidget* parent, const QString& title, const QString& filter,
                                    const QString& current) {
    return QFileDialog::getSaveFileName(parent, title, current, filter);
}

bool QtUserDialogs::ShowFile(const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool QtUserDialogs::SetUpPrinter(QWidget* parent, QPrinter& printer) {
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace varlen::gui
