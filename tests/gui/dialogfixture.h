#pragma once
// A stand-in main window that owns the dialogs, and a clean dialog layer for every test.
#include "dialogs/dialoglayer.h"
#include "shell/help.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>

// Readable failure messages for Qt strings.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

class DialogFixture : public testing::Test {
protected:
    void SetUp() override {
        qv::DialogLayer::reset();
        owner_ = std::make_unique<QWidget>();
        owner_->setWindowTitle(QStringLiteral("Quarver for Windows"));
        owner_->setGeometry(100, 120, 598, 313);
        owner_->show();
        qv::SetDialogOwner(owner_.get());
        savedTopic_ = qv::HelpTopic();
    }

    void TearDown() override {
        qv::QuitHelp();
        qv::SetDialogOwner(nullptr);
        qv::DialogLayer::reset();
        qv::HelpTopic() = savedTopic_;
        owner_.reset();
    }

    QWidget& owner() { return *owner_; }
    QRect ownerFrame() const { return owner_->frameGeometry(); }

    // Runs `look` on every dialog that is asked, while it is up.
    static void inspect(std::function<void(QDialog*)> look) {
        qv::DialogLayer::setInspector([look = std::move(look)](QDialog* dialog) {
            look(dialog);
            return 0;
        });
    }

    template <class T = QAbstractButton> static T* child(QDialog* dialog, const char* name) {
        T* found = dialog->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << "no control " << name;
        return found;
    }

private:
    std::unique_ptr<QWidget> owner_;
    int savedTopic_ = 0;
};
