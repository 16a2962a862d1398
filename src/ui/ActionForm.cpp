#include "ui/ActionForm.hpp"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <variant>

#include "rules/Catalogue.hpp"
#include "rules/Sequences.hpp"
#include "ui/Appearance.hpp"
#include "ui/IntegerField.hpp"
#include "ui/QtText.hpp"
#include "ui/Stepper.hpp"

namespace tavix::ui {
namespace {

constexpr int numberWidth = 58;
constexpr std::int64_t noFloor = std::numeric_limits<std::int64_t>::min();

template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

QFont calloutFont(const QFont& base) {
    QFont font = base;
    font.setPointSizeF(base.pointSizeF() * 12.0 / 13.0);
    return font;
}

QFont caption2Font(const QFont& base) {
    QFont font = base;
    font.setPointSizeF(base.pointSizeF() * 10.0 / 13.0);
    return font;
}

// A text in one of the window's tones. The tone is resolved from the parent's
// palette, again whenever the palette changes, so a switch to the dark palette
// is followed.
class ToneLabel final : public QLabel {
public:
    ToneLabel(const QString& text, Tone tone, QWidget* parent) : QLabel(text, parent), tone_(tone) {
        applyTone();
    }

protected:
    void changeEvent(QEvent* event) override {
        QLabel::changeEvent(event);
        if (event->type() == QEvent::PaletteChange && !applying_) applyTone();
    }

private:
    void applyTone() {
        applying_ = true;
        const QPalette source =
            parentWidget() ? parentWidget()->palette() : QApplication::palette();
        QPalette own = palette();
        own.setColor(QPalette::WindowText, color(tone_, source));
        setPalette(own);
        applying_ = false;
    }

    Tone tone_;
    bool applying_ = false;
};

// A grid label at least as tall as the first line of its control, with its
// text centred on that line, so it lines up with a field, a pop-up or the
// first button of a stack.
class RowLabel final : public QLabel {
public:
    RowLabel(const QString& text, QWidget* line, QWidget* parent)
        : QLabel(text, parent), line_(line) {
        setObjectName(QStringLiteral("formLabel"));
        setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }

    QSize sizeHint() const override { return matched(QLabel::sizeHint()); }
    QSize minimumSizeHint() const override { return matched(QLabel::minimumSizeHint()); }

private:
    QSize matched(QSize size) const {
        if (line_) size.setHeight(std::max(size.height(), line_->sizeHint().height()));
        return size;
    }

    QWidget* line_;
};

template <class T>
using Options = std::vector<std::pair<QString, T>>;

template <class T>
Options<T> titled() {
    Options<T> options;
    for (const T value : allCases<T>()) options.emplace_back(qt(rawValue(value)), value);
    return options;
}

std::int64_t steppedBy(std::int64_t value, int delta) {
    if (delta > 0 && value == std::numeric_limits<std::int64_t>::max()) return value;
    if (delta < 0 && value == std::numeric_limits<std::int64_t>::min()) return value;
    return value + delta;
}

}  // namespace

// Builds the rows of one kind into a holder widget. Each control reads its
// parameter through a getter, writes a whole new rule through a setter, and
// registers a refresher that brings it up to date when the rule changes.
class ActionForm::Grid {
public:
    template <class T>
    struct Binding {
        std::function<T()> get;
        std::function<void(T)> set;
    };

    Grid(ActionForm& form, QWidget* holder)
        : form_(form), holder_(holder), layout_(new QGridLayout(holder)) {
        layout_->setContentsMargins(0, 0, 0, 0);
        layout_->setHorizontalSpacing(8);
        layout_->setVerticalSpacing(9);
        layout_->setColumnStretch(1, 1);
    }

    void build() {
        std::visit([this](const auto& kind) { rows(kind); }, form_.rule_.kind);
        layout_->setRowStretch(row_, 1);
    }

private:
    // A binding of one parameter of kind K. Reading a rule of another kind
    // gives the default; writing to one does nothing (only a retired grid's
    // controls could try), and neither does writing the value already stored.
    template <class K, class T>
    Binding<T> bind(T K::*member) {
        ActionForm* form = &form_;
        return {[form, member]() -> T {
                    const K* kind = std::get_if<K>(&form->rule_.kind);
                    return kind ? kind->*member : T{};
                },
                [form, member](T value) {
                    RenameRule next = form->rule_;
                    K* kind = std::get_if<K>(&next.kind);
                    // The same value again (a field committed unchanged) is no edit.
                    if (!kind || kind->*member == value) return;
                    kind->*member = std::move(value);
                    form->write(std::move(next));
                }};
    }

    template <class K>
    Binding<std::int64_t> bindClamped(std::int64_t K::*member, std::int64_t floor) {
        Binding<std::int64_t> plain = bind(member);
        return {plain.get,
                [set = plain.set, floor](std::int64_t value) { set(std::max(value, floor)); }};
    }

    void refreshWith(std::function<void()> refresher) {
        refresher();
        form_.refreshers_.push_back(std::move(refresher));
    }

    QLabel* label(const QString& text, QWidget* control, QWidget* line = nullptr) {
        auto* label = new RowLabel(text, line ? line : control, holder_);
        label->setBuddy(control);
        layout_->addWidget(label, row_, 0, Qt::AlignRight | Qt::AlignTop);
        lastLabel_ = label;
        return label;
    }

    QLineEdit* text(const QString& title, const char* name, Binding<std::string> binding,
                    int width = 0, const QString& placeholder = {}) {
        auto* field = new QLineEdit(holder_);
        field->setObjectName(QString::fromLatin1(name));
        field->setPlaceholderText(placeholder);
        if (width > 0) field->setFixedWidth(width);
        QObject::connect(field, &QLineEdit::textEdited, holder_,
                         [set = binding.set](const QString& typed) { set(typed.toStdString()); });
        refreshWith([field, get = binding.get] {
            const QString value = qt(get());
            if (field->text() != value) field->setText(value);
        });
        label(title, field);
        layout_->addWidget(field, row_, 1, width > 0 ? Qt::AlignLeft : Qt::Alignment());
        ++row_;
        return field;
    }

    template <class T>
    QWidget* radios(const QString& title, const char* name, Binding<T> binding,
                    Options<T> options) {
        auto* box = new QWidget(holder_);
        box->setObjectName(QString::fromLatin1(name));
        auto* stack = new QVBoxLayout(box);
        stack->setContentsMargins(0, 0, 0, 0);
        stack->setSpacing(4);
        auto* group = new QButtonGroup(box);
        QWidget* first = nullptr;
        for (std::size_t i = 0; i < options.size(); ++i) {
            auto* button = new QRadioButton(options[i].first, box);
            button->setObjectName(QString::fromLatin1(name) + QStringLiteral("Option"));
            group->addButton(button, static_cast<int>(i));
            stack->addWidget(button);
            if (!first) first = button;
        }
        QObject::connect(group, &QButtonGroup::idClicked, box,
                         [set = binding.set, options](int id) {
                             set(options.at(static_cast<std::size_t>(id)).second);
                         });
        refreshWith([group, get = binding.get, options] {
            const T value = get();
            for (std::size_t i = 0; i < options.size(); ++i) {
                QAbstractButton* button = group->button(static_cast<int>(i));
                if (options[i].second == value && !button->isChecked()) button->setChecked(true);
            }
        });
        label(title, box, first);
        layout_->addWidget(box, row_, 1, Qt::AlignLeft | Qt::AlignTop);
        ++row_;
        return box;
    }

    template <class T>
    QComboBox* popup(const QString& title, const char* name, Binding<T> binding,
                     Options<T> options) {
        auto* menu = new QComboBox(holder_);
        menu->setObjectName(QString::fromLatin1(name));
        for (const auto& option : options) menu->addItem(option.first);
        QObject::connect(menu, &QComboBox::activated, holder_, [binding, options](int index) {
            if (index >= 0) binding.set(options.at(static_cast<std::size_t>(index)).second);
        });
        refreshWith([menu, get = binding.get, options] {
            const T value = get();
            for (std::size_t i = 0; i < options.size(); ++i) {
                if (options[i].second == value && menu->currentIndex() != static_cast<int>(i)) {
                    const QSignalBlocker quiet(menu);
                    menu->setCurrentIndex(static_cast<int>(i));
                }
            }
        });
        label(title, menu);
        layout_->addWidget(menu, row_, 1, Qt::AlignLeft);
        ++row_;
        return menu;
    }

    QCheckBox* check(QBoxLayout* into, const char* name, const QString& title,
                     Binding<bool> binding) {
        auto* box = new QCheckBox(title, holder_);
        box->setObjectName(QString::fromLatin1(name));
        QObject::connect(box, &QCheckBox::clicked, holder_,
                         [set = binding.set](bool on) { set(on); });
        refreshWith([box, get = binding.get] {
            if (box->isChecked() != get()) box->setChecked(get());
        });
        into->addWidget(box);
        return box;
    }

    // A number field in `into` and, when `withStepper`, a stepper after it. Both
    // write through `binding`, whose setter clamps; the field's Up and Down keys
    // step like the stepper's arrows. A step never goes below `floor`.
    IntegerField* numberInto(QHBoxLayout* into, const char* name, Binding<std::int64_t> binding,
                             int width, std::int64_t floor, bool withStepper) {
        auto* field = new IntegerField(holder_);
        field->setObjectName(QString::fromLatin1(name) + QStringLiteral("Field"));
        field->setFixedWidth(width);
        field->setAlignment(Qt::AlignRight);
        QObject::connect(field, &IntegerField::committed, holder_,
                         [set = binding.set](std::int64_t typed) { set(typed); });
        const auto step = [binding, floor](int delta) {
            const std::int64_t value = binding.get();
            const std::int64_t next = steppedBy(value, delta);
            // From a value already below the floor, down stays put rather than
            // being lifted by the clamp. At the largest number up stays put too.
            if (next == value || (delta < 0 && next < floor)) return;
            binding.set(next);
        };
        QObject::connect(field, &IntegerField::stepped, holder_, step);
        into->addWidget(field);
        Stepper* stepper = nullptr;
        if (withStepper) {
            stepper = new Stepper(holder_);
            stepper->setObjectName(QString::fromLatin1(name) + QStringLiteral("Stepper"));
            QObject::connect(stepper, &Stepper::stepped, holder_, step);
            into->addWidget(stepper);
        }
        refreshWith([field, stepper, floor, get = binding.get] {
            field->setValue(get());
            if (stepper) stepper->setDownEnabled(get() > floor);
        });
        return field;
    }

    QHBoxLayout* number(const QString& title, const char* name, Binding<std::int64_t> binding,
                        std::int64_t floor, bool withStepper = true) {
        auto* line = new QHBoxLayout;
        line->setSpacing(4);
        IntegerField* field =
            numberInto(line, name, std::move(binding), numberWidth, floor, withStepper);
        label(title, field);
        layout_->addLayout(line, row_, 1);
        ++row_;
        return line;
    }

    QLabel* inlineText(QHBoxLayout* line, const QString& text, const QFont& font, Tone tone) {
        QLabel* label =
            tone == Tone::primary ? new QLabel(text, holder_) : new ToneLabel(text, tone, holder_);
        label->setObjectName(QStringLiteral("inlineText"));
        label->setFont(font);
        line->addSpacing(2);
        line->addWidget(label);
        return label;
    }

    QLabel* help(const QString& text, const QFont& font, Tone tone) {
        auto* label = new ToneLabel(text, tone, holder_);
        label->setObjectName(QStringLiteral("helpText"));
        label->setFont(font);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        layout_->addWidget(label, row_, 1);
        ++row_;
        return label;
    }

    void separatorAndPosition(auto kind, int width = numberWidth) {
        using K = decltype(kind);
        text(QStringLiteral("Separator:"), "separatorField", bind(&K::separator), width);
        radios(QStringLiteral("Position:"), "positionGroup", bind(&K::position),
               titled<Position>());
    }

    void rows(const FindReplace&) {
        text(QStringLiteral("Find:"), "findField", bind(&FindReplace::find));
        text(QStringLiteral("Replace with:"), "replaceField", bind(&FindReplace::replace));
        popup(QStringLiteral("Replace:"), "occurrencesMenu", bind(&FindReplace::occurrences),
              titled<Occurrences>());
        auto* checks = new QVBoxLayout;
        checks->setSpacing(5);
        check(checks, "regexCheck", QStringLiteral("Regular expression"),
              bind(&FindReplace::regex));
        check(checks, "caseSensitiveCheck", QStringLiteral("Match case"),
              bind(&FindReplace::caseSensitive));
        layout_->addLayout(checks, row_++, 1, Qt::AlignLeft);
    }

    void rows(const AddText&) {
        text(QStringLiteral("Text:"), "textField", bind(&AddText::text));
        radios(QStringLiteral("Position:"), "positionGroup", bind(&AddText::position),
               titled<Position>());
    }

    void rows(const RemoveText&) {
        text(QStringLiteral("Remove:"), "textField", bind(&RemoveText::text));
        auto* checks = new QVBoxLayout;
        check(checks, "caseSensitiveCheck", QStringLiteral("Match case"),
              bind(&RemoveText::caseSensitive));
        layout_->addLayout(checks, row_++, 1, Qt::AlignLeft);
    }

    void rows(const RemoveCharacters&) {
        // The custom characters stay in their field while another class is
        // chosen and are written back with "These characters…", so they return
        // even if a rule handed in meanwhile carried none.
        auto custom = std::make_shared<QPointer<QLineEdit>>();
        ActionForm* form = &form_;
        Binding<CharacterClass> kind = bind(&RemoveCharacters::kind);
        kind.set = [form, custom](CharacterClass chosen) {
            RenameRule next = form->rule_;
            auto* step = std::get_if<RemoveCharacters>(&next.kind);
            if (!step || step->kind == chosen) return;
            step->kind = chosen;
            if (chosen == CharacterClass::custom && *custom) {
                step->custom = (*custom)->text().toStdString();
            }
            form->write(std::move(next));
        };
        Binding<std::string> characters = bind(&RemoveCharacters::custom);
        characters.get = [form, custom, stored = characters.get] {
            const auto* step = std::get_if<RemoveCharacters>(&form->rule_.kind);
            if (step && step->kind != CharacterClass::custom && *custom) {
                return (*custom)->text().toStdString();
            }
            return stored();
        };
        radios(QStringLiteral("Remove:"), "kindGroup", kind, titled<CharacterClass>());
        *custom = text(QStringLiteral("Characters:"), "customField", characters, 0,
                       QStringLiteral("e.g. ()!#"));
        refreshWith([form, field = *custom, label = lastLabel_] {
            const auto* step = std::get_if<RemoveCharacters>(&form->rule_.kind);
            const bool shown = step && step->kind == CharacterClass::custom;
            field->setVisible(shown);
            label->setVisible(shown);
        });
    }

    void rows(const CollapseSpaces&) {
        help(QStringLiteral("Turns runs of spaces into a single space and trims the ends. No "
                            "options."),
             captionFont(holder_->font()), Tone::secondary);
    }

    void rows(const Crop&) {
        radios(QStringLiteral("Action:"), "modeGroup", bind(&Crop::mode), titled<CropMode>());
        number(QStringLiteral("Characters:"), "count", bindClamped(&Crop::count, 0), 0)
            ->addStretch(1);
    }

    void rows(const InsertAt&) {
        text(QStringLiteral("Text:"), "textField", bind(&InsertAt::text));
        QHBoxLayout* line =
            number(QStringLiteral("At position:"), "offset", bindClamped(&InsertAt::offset, 0), 0);
        inlineText(line, QStringLiteral("0 is the very start"), captionFont(holder_->font()),
                   Tone::secondary);
        line->addStretch(1);
    }

    void rows(const ChangeCase&) {
        radios(QStringLiteral("Convert to:"), "styleGroup", bind(&ChangeCase::style),
               titled<CaseStyle>());
    }

    void rows(const Truncate&) {
        QHBoxLayout* line =
            number(QStringLiteral("Maximum:"), "limit", bindClamped(&Truncate::limit, 1), 1);
        inlineText(line, QStringLiteral("characters"), captionFont(holder_->font()),
                   Tone::secondary);
        line->addStretch(1);
        // `from` names the end that loses characters: keeping the start cuts the end.
        radios(QStringLiteral("Keep the:"), "fromGroup", bind(&Truncate::from),
               Options<Position>{{QStringLiteral("Start of the name"), Position::suffix},
                                 {QStringLiteral("End of the name"), Position::prefix}});
    }

    void rows(const Sequence&) {
        QHBoxLayout* start =
            number(QStringLiteral("Start with:"), "start", bind(&Sequence::start), noFloor);
        inlineText(start, QStringLiteral("Step value:"), calloutFont(holder_->font()),
                   Tone::primary);
        numberInto(start, "step", bindClamped(&Sequence::step, 1), 46, 1, false);
        start->addStretch(1);
        QHBoxLayout* padding =
            number(QStringLiteral("Padding:"), "padding", bindClamped(&Sequence::padding, 1), 1);
        inlineText(padding, QStringLiteral("digits minimum"), captionFont(holder_->font()),
                   Tone::secondary);
        padding->addStretch(1);
        help(QStringLiteral(
                 "Padding is the minimum number of digits. Shorter numbers gain leading zeros."),
             caption2Font(holder_->font()), Tone::tertiary);
        separatorAndPosition(Sequence{});
    }

    void rows(const RomanNumeral&) {
        Binding<std::int64_t> start = bindClamped(&RomanNumeral::start, 1);
        QHBoxLayout* line = number(QStringLiteral("Start with:"), "start", start, 1, false);
        QFont font = calloutFont(holder_->font());
        font.setWeight(QFont::Medium);
        QLabel* numeral = inlineText(line, {}, font, Tone::secondary);
        numeral->setObjectName(QStringLiteral("romanPreview"));
        line->addStretch(1);
        refreshWith([numeral, get = start.get] {
            const QString shown = qt(Sequences::roman(get()));
            if (numeral->text() != shown) numeral->setText(shown);
        });
        separatorAndPosition(RomanNumeral{});
    }

    void rows(const LetterSequence&) {
        radios(QStringLiteral("Style:"), "uppercaseGroup", bind(&LetterSequence::uppercase),
               Options<bool>{{QStringLiteral("a, b, c\u2026 "), false},
                             {QStringLiteral("A, B, C\u2026 "), true}});
        separatorAndPosition(LetterSequence{});
    }

    void rows(const DateStamp&) {
        text(QStringLiteral("Format:"), "formatField", bind(&DateStamp::format));
        help(QStringLiteral("yyyy-MM-dd \u00B7 dd.MM.yy \u00B7 yyyy-MM-dd HH.mm"),
             caption2Font(holder_->font()), Tone::tertiary);
        separatorAndPosition(DateStamp{}, 62);
    }

    void rows(const ImageDimensions&) {
        separatorAndPosition(ImageDimensions{});
        help(QStringLiteral("Adds \u201C1920x1080\u201D. Files that aren't images are left alone."),
             captionFont(holder_->font()), Tone::secondary);
    }

    void rows(const ParentFolder&) { separatorAndPosition(ParentFolder{}); }

    ActionForm& form_;
    QWidget* holder_;
    QGridLayout* layout_;
    int row_ = 0;
    QLabel* lastLabel_ = nullptr;
};

ActionForm::ActionForm(QWidget* parent) : QWidget(parent), rule_(blank(RuleAction::findReplace)) {
    setObjectName(QStringLiteral("actionForm"));

    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("actionFormScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);

    auto* content = new QWidget(scroll);
    content->setObjectName(QStringLiteral("actionFormContent"));
    stack_ = new QVBoxLayout(content);
    stack_->setContentsMargins(14, 14, 14, 14);
    stack_->setSpacing(14);

    auto* kinds = new QGridLayout;
    kinds->setHorizontalSpacing(8);
    kinds->setVerticalSpacing(8);
    kinds->setColumnStretch(1, 1);
    category_ = new QComboBox(content);
    category_->setObjectName(QStringLiteral("categoryMenu"));
    for (const RuleCategory category : allCases<RuleCategory>()) {
        category_->addItem(qt(rawValue(category)));
    }
    action_ = new QComboBox(content);
    action_->setObjectName(QStringLiteral("actionMenu"));
    kinds->addWidget(new RowLabel(QStringLiteral("Category:"), category_, content), 0, 0,
                     Qt::AlignRight);
    kinds->addWidget(category_, 0, 1);
    kinds->addWidget(new RowLabel(QStringLiteral("Action:"), action_, content), 1, 0,
                     Qt::AlignRight);
    kinds->addWidget(action_, 1, 1);
    connect(category_, &QComboBox::activated, this, &ActionForm::chooseCategory);
    connect(action_, &QComboBox::activated, this, &ActionForm::chooseAction);
    stack_->addLayout(kinds);

    auto* divider = new QFrame(content);
    divider->setObjectName(QStringLiteral("actionFormDivider"));
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);
    stack_->addWidget(divider);

    scroll->setWidget(content);
    rebuild();
}

ActionForm::~ActionForm() {
    // The controls go while the bindings they call still exist.
    delete grid_;
    grid_ = nullptr;
}

void ActionForm::setRule(const RenameRule& rule) {
    const bool sameKind = rule.kind.index() == rule_.kind.index();
    rule_ = RenameRule(rule);
    if (sameKind) {
        refresh();
    } else {
        rebuild();
    }
}

void ActionForm::write(RenameRule rule) {
    const bool sameKind = rule.kind.index() == rule_.kind.index();
    rule_ = std::move(rule);
    if (sameKind) {
        refresh();
    } else {
        rebuild();
    }
    // A copy, so a listener that hands the rule straight back through setRule
    // doesn't assign the form's rule to itself mid-signal.
    const RenameRule edited = rule_;
    Q_EMIT ruleEdited(edited);
}

void ActionForm::rebuild() {
    refreshers_.clear();
    if (grid_) {
        stack_->removeWidget(grid_);
        grid_->hide();
        grid_->setParent(nullptr);
        retired_.reset(grid_);
    }
    grid_ = new QWidget(stack_->parentWidget());
    grid_->setObjectName(QStringLiteral("parameterGrid"));
    Grid(*this, grid_).build();
    stack_->insertWidget(2, grid_, 1);
    refreshPickers();
}

void ActionForm::refresh() {
    refreshPickers();
    for (const auto& refresher : refreshers_) refresher();
}

void ActionForm::refreshPickers() {
    const int category = static_cast<int>(rule_.category());
    if (category != listedCategory_) {
        const QSignalBlocker quiet(action_);
        action_->clear();
        for (const RuleAction action : tavix::actions(rule_.category())) {
            action_->addItem(qt(rawValue(action)), static_cast<int>(action));
        }
        listedCategory_ = category;
    }
    if (category_->currentIndex() != category) {
        const QSignalBlocker quiet(category_);
        category_->setCurrentIndex(category);
    }
    const int action = action_->findData(static_cast<int>(rule_.action()));
    if (action_->currentIndex() != action) {
        const QSignalBlocker quiet(action_);
        action_->setCurrentIndex(action);
    }
}

void ActionForm::chooseCategory(int index) {
    const auto categories = allCases<RuleCategory>();
    if (index < 0 || static_cast<std::size_t>(index) >= categories.size()) return;
    const RuleCategory chosen = categories[static_cast<std::size_t>(index)];
    // Choosing the category already shown keeps the step as it is.
    if (chosen == rule_.category()) return;
    write(blank(tavix::actions(chosen).front()));
}

void ActionForm::chooseAction(int index) {
    if (index < 0) return;
    const auto chosen = static_cast<RuleAction>(action_->itemData(index).toInt());
    if (chosen == rule_.action()) return;
    write(blank(chosen));
}

}  // namespace tavix::ui
