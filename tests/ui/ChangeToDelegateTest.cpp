// How the "Change to" cell fits a marked name into its width.
#include <QApplication>
#include <QFontMetricsF>
#include <QTest>

#include "ui/ChangeToDelegate.hpp"

using Run = tavix::ui::ChangeToDelegate::Run;
using tavix::ui::ChangeToDelegate;

namespace {

const QChar ellipsis(0x2026);

QString joined(const QList<Run>& runs) {
    QString text;
    for (const Run& run : runs) text += run.text;
    return text;
}

// One flag per UTF-16 unit of the joined text.
QList<bool> marks(const QList<Run>& runs) {
    QList<bool> out;
    for (const Run& run : runs) {
        for (qsizetype i = 0; i < run.text.size(); ++i) out << run.marked;
    }
    return out;
}

qreal widthOf(const QList<Run>& runs, const QFont& font) {
    QFont bold = font;
    bold.setBold(true);
    qreal width = 0;
    for (const Run& run : runs) {
        width += QFontMetricsF(run.marked ? bold : font).horizontalAdvance(run.text);
    }
    return width;
}

}  // namespace

class ChangeToDelegateTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aLongNameLosesItsMiddle() {
        const QString name =
            QStringLiteral("holiday-") + QString(60, 'x') + QStringLiteral("-end.jpg");
        const QList<Run> fitted = ChangeToDelegate::fit({{name, false}}, font_, 150);
        const QString shown = joined(fitted);
        QVERIFY2(shown.startsWith(QStringLiteral("holi")), qPrintable(shown));
        QVERIFY2(shown.endsWith(QStringLiteral(".jpg")), qPrintable(shown));
        QCOMPARE(shown.count(ellipsis), 1);
        QVERIFY(widthOf(fitted, font_) <= 150);
        // As much as fits: one more character would not.
        const qsizetype head = shown.indexOf(ellipsis);
        const QString longer = shown.left(head) + name.mid(head, 1) + shown.mid(head);
        QVERIFY(widthOf({{longer, false}}, font_) > 150);

        // A name that fits is left whole; with no room, the ellipsis stands alone.
        const QList<Run> runs{{"IMG_", false}, {"000", true}, {"1.jpg", false}};
        QCOMPARE(ChangeToDelegate::fit(runs, font_, 1000), runs);
        QCOMPARE(joined(ChangeToDelegate::fit({{name, false}}, font_, 1)), QString(ellipsis));
    }

    // The characters either side of the ellipsis keep their marks; the
    // ellipsis is marked when it stands for marked characters only.
    void marksSurviveAroundTheEllipsis() {
        const struct {
            QList<Run> runs;
            int width;
            bool ellipsisMarked;
        } cases[] = {
            {{{"ab", false}, {QString(40, 'M'), true}, {"yz", false}}, 160, true},
            {{{QString(40, 'p'), false}, {"NEW", true}}, 120, false},
        };
        for (const auto& c : cases) {
            const QList<Run> fitted = ChangeToDelegate::fit(c.runs, font_, c.width);
            const QString shown = joined(fitted);
            const QString full = joined(c.runs);
            const QList<bool> shownMarks = marks(fitted);
            const QList<bool> fullMarks = marks(c.runs);
            const qsizetype gap = shown.indexOf(ellipsis);
            QVERIFY(gap > 0);
            QCOMPARE(shownMarks[gap], c.ellipsisMarked);
            for (qsizetype i = 0; i < gap; ++i) QCOMPARE(shownMarks[i], fullMarks[i]);
            for (qsizetype i = 1; i < shown.size() - gap; ++i) {
                QCOMPARE(shown[shown.size() - i], full[full.size() - i]);
                QCOMPARE(shownMarks[shown.size() - i], fullMarks[full.size() - i]);
            }
        }
    }

    void charactersAreNeverSplit() {
        // "é" as e + combining acute, and a character outside the basic plane.
        QString name;
        for (int i = 0; i < 30; ++i) name += QStringLiteral("e\u0301\U0001F600");
        for (int width : {40, 70, 110, 150}) {
            const QString shown = joined(ChangeToDelegate::fit({{name, true}}, font_, width));
            const qsizetype gap = shown.indexOf(ellipsis);
            QVERIFY(gap >= 0);
            const QString head = shown.left(gap);
            const QString tail = shown.mid(gap + 1);
            QVERIFY2(name.startsWith(head), qPrintable(shown));
            QVERIFY2(name.endsWith(tail), qPrintable(shown));
            QVERIFY(!tail.startsWith(QChar(0x0301)));
            QVERIFY(!tail.isEmpty() ? !tail.front().isLowSurrogate() : true);
            QVERIFY(!head.isEmpty() ? !head.back().isHighSurrogate() : true);
            QVERIFY(head.isEmpty() || head.back() != QLatin1Char('e'));
        }
    }

private:
    QFont font_ = QApplication::font();
};

QTEST_MAIN(ChangeToDelegateTest)
#include "ChangeToDelegateTest.moc"
