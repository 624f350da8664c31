#include "tabs/Placeholder.h"

#include <QLabel>
#include <QVBoxLayout>

namespace qv {

Tplaceholderform::Tplaceholderform(const QString& caption, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Tplaceholderform"));
    setWindowTitle(caption);
    auto* label = new QLabel(caption, this);
    label->setObjectName(QStringLiteral("placeholdercaption"));
    label->setAlignment(Qt::AlignCenter);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * 1.6);
    font.setBold(true);
    label->setFont(font);
    label->setEnabled(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
}

} // namespace qv
