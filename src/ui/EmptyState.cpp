#include "ui/EmptyState.hpp"

#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/Appearance.hpp"
#include "ui/ElidedLabel.hpp"
#include "ui/Symbols.hpp"

namespace tavix::ui {
namespace {

constexpr QSize boxSize(190, 130);
constexpr qreal boxRadius = 14;
constexpr qreal borderWidth = 4;
constexpr qreal dashOn = 11;
constexpr qreal dashOff = 9;
// The arrow as tall as a 46-point glyph's arrow is, about 40 pixels.
constexpr int arrowSize = 40;

}  // namespace

DropBox::DropBox(QWidget* parent) : QWidget(parent) {
    setFixedSize(boxSize);
}

void DropBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor ink = color(Tone::quaternary, palette());

    // The border lies inside the bounds: its centre line is half a width in.
    const qreal half = borderWidth / 2;
    QPainterPath outline;
    outline.addRoundedRect(QRectF(rect()).adjusted(half, half, -half, -half), boxRadius - half,
                           boxRadius - half);
    QPen pen(ink, borderWidth);
    // The pattern is in units of the pen's width; flat ends keep the dashes exact.
    pen.setDashPattern({dashOn / borderWidth, dashOff / borderWidth});
    pen.setCapStyle(Qt::FlatCap);
    painter.strokePath(outline, pen);

    symbol(Symbol::arrowDown, ink)
        .paint(&painter,
               QRect((width() - arrowSize) / 2, (height() - arrowSize) / 2, arrowSize, arrowSize));
}

EmptyState::EmptyState(TavixModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    setObjectName(QStringLiteral("emptyState"));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);

    auto* box = new DropBox(this);
    box->setObjectName(QStringLiteral("dropBox"));

    hint_ = new ElidedLabel(this);
    hint_->setObjectName(QStringLiteral("dropHint"));
    hint_->setText(QStringLiteral("Drag your files here"));
    hint_->setFont(title3Font(font()));
    hint_->setTone(Tone::secondary);

    addFiles_ = new QPushButton(QStringLiteral("Add Files\u2026"), this);
    addFiles_->setObjectName(QStringLiteral("addFilesButton"));
    connect(addFiles_, &QPushButton::clicked, this, [this] { model_.addChosenFiles(); });

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(10);
    layout->addStretch(1);
    layout->addWidget(box, 0, Qt::AlignHCenter);
    layout->addWidget(hint_, 0, Qt::AlignHCenter);
    layout->addWidget(addFiles_, 0, Qt::AlignHCenter);
    layout->addStretch(1);

    setVisible(model_.files().empty());
    subscription_ = model_.observe([this](TavixModel::Field field) {
        if (field == TavixModel::Field::files) setVisible(model_.files().empty());
    });
}

}  // namespace tavix::ui
