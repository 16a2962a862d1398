// How the "Change to" cell fits a marked name into its width.
#include <QApplication>
#include <QFontMetricsF>
#include <QTest>

#include "ui/ChangeToDelegate.hpp"

using Run = tavix::ui::ChangeToDelegate::Run;
using namespace tavix::ui;

namespace {

const QChar ellipsis(0x2026);

QString joined(const QList<Run>& runs) {
    QString text;
    for (const Run& run : runs) text += run.text;
    return text;
}

}  // namespace

class ChangeToDelegateTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aLongNameLosesItsMiddle() {
        const QString name =
            QStringLiteral("holiday-") + QString(60, 'x') + QStringLiteral("-end.jpg");
        const QString shown = joined(ChangeToDelegate::fit({{name, false}}, font_, 150));
        QVERIFY2(shown.startsWith(QStringLiteral("holi")), qPrintable(shown));
        QVERIFY2(shown.endsWith(QStringLiteral(".jpg")), qPrintable(shown));
        QCOMPARE(shown.count(ellipsis), 1);
        QVERIFY(QFontMetricsF(font_).horizontalAdvance(shown) <= 150);

        // A name that fits is left whole; with no room, the ellipsis stands alone.
        const QList<Run> runs{{"IMG_", false}, {"000", true}, {"1.jpg", false}};
        QCOMPARE(ChangeToDelegate::fit(runs, font_, 1000), runs);
        QCOMPARE(joined(ChangeToDelegate::fit({{name, false}}, font_, 1)), QString(ellipsis));

        // Never split: "é" as e + combining acute, and a character outside the basic plane.
        QString marks;
        for (int i = 0; i < 30; ++i) marks += QStringLiteral("e\u0301\U0001F600");
        for (int width : {40, 70, 110, 150}) {
            const QString cut = joined(ChangeToDelegate::fit({{marks, true}}, font_, width));
            const qsizetype gap = cut.indexOf(ellipsis);
            QVERIFY(gap >= 0);
            const QString head = cut.left(gap);
            const QString tail = cut.mid(gap + 1);
            QVERIFY2(marks.startsWith(head) && marks.endsWith(tail), qPrintable(cut));
            // A cluster ends on the accent or the low surrogate, starts on e or the high one.
            QVERIFY(head.isEmpty() || head.back() == QChar(0x0301) || head.back() == QChar(0xDE00));
            QVERIFY(tail.isEmpty() || tail.front() == u'e' || tail.front() == QChar(0xD83D));
        }
    }

    // A change in the middle of a long name stays whole; the text on each side
    // loses its own middle. One too long to keep is cut like any text.
    void theChangeIsNeverCutAwayWhenItFits() {
        const QList<Run> runs{{QStringLiteral("holiday-") + QString(40, 'a'), false},
                              {QStringLiteral("CHANGE"), true},
                              {QString(40, 'b') + QStringLiteral("-end.jpg"), false}};
        for (int width : {120, 200, 300}) {
            const QList<Run> shown = ChangeToDelegate::fit(runs, font_, width);
            const QString text = joined(shown);
            QVERIFY(shown.contains(Run{QStringLiteral("CHANGE"), true}));
            QVERIFY2(text.startsWith(u'h') && text.endsWith(u'g'), qPrintable(text));
            QCOMPARE(text.count(ellipsis), 2);
            QVERIFY(QFontMetricsF(font_).horizontalAdvance(text) <= width);
        }
        const QList<Run> huge{{QStringLiteral("a-"), false}, {QString(200, 'X'), true}};
        const QString cut = joined(ChangeToDelegate::fit(huge, font_, 100));
        QVERIFY2(cut.startsWith(QStringLiteral("a-X")) && cut.count(ellipsis) == 1, qPrintable(cut));
    }

private:
    QFont font_ = QApplication::font();
};

QTEST_MAIN(ChangeToDelegateTest)
#include "ChangeToDelegateTest.moc"
