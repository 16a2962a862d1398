#include "ui/StepsPanePlaceholder.hpp"

#include <QVBoxLayout>

#include "ui/Appearance.hpp"
#include "ui/ElidedLabel.hpp"

namespace tavix::ui {

StepsPanePlaceholder::StepsPanePlaceholder(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("stepsPlaceholder"));

    auto* title = new ElidedLabel(this);
    title->setObjectName(QStringLiteral("noStepTitle"));
    title->setText(QStringLiteral("No step selected"));
    title->setTone(Tone::secondary);

    auto* hint = new ElidedLabel(this);
    hint->setObjectName(QStringLiteral("noStepHint"));
    hint->setText(QStringLiteral("Add a step to start renaming."));
    hint->setFont(captionFont(font()));
    hint->setTone(Tone::tertiary);

    auto* column = new QVBoxLayout(this);
    column->setSpacing(6);
    column->addStretch(1);
    column->addWidget(title, 0, Qt::AlignHCenter);
    column->addWidget(hint, 0, Qt::AlignHCenter);
    column->addStretch(1);
}

}  // namespace tavix::ui
