#include "ui/DialogTemplate.h"

#include "ui/DialogState.h"
#include "ui/SharedStylePalette.h"
#include "ui/WindowTitle.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QValidator>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace dk3::ui {
namespace {

// a * b / c rounded to the nearest integer, halves away from zero (Windows' MulDiv).
int mulDiv(int a, int b, int c) {
    const std::int64_t product = std::int64_t{a} * b;
    const std::int64_t half = c / 2;
    const std::int64_t rounded = product >= 0 ? (product + half) / c : (product - half) / c;
    return static_cast<int>(rounded);
}

// The controls buildFromTemplate made, by ID. Every caption, tooltip and field is looked up by its
// ID, often enough while the dialog starts that searching the dialog's children by name each time
// would show.
class ControlIndex : public QObject {
    Q_OBJECT

public:
    explicit ControlIndex(QObject* dialog) : QObject(dialog) {}

    void add(int id, QWidget* control) { controls_.insert(id, control); }
    QWidget* find(int id) const { return controls_.value(id); }

private:
    QHash<int, QPointer<QWidget>> controls_;
};

QString captionOf(const ControlSpec& control) {
    return control.caption ? QString::fromUtf8(control.caption) : QString();
}

QString nonDigits(const QString& text) {
    QString result;
    for (const QChar c : text)
        if (c < u'0' || c > u'9')
            result += c;
    return result;
}

bool isSubsequence(const QString& part, const QString& whole) {
    qsizetype at = 0;
    for (const QChar c : part) {
        at = whole.indexOf(c, at);
        if (at < 0)
            return false;
        ++at;
    }
    return true;
}

// Lets the user type digits only, like a Windows number edit. The program itself may still show
// any text (a large float shows as "1e+06"): setText() clears the edit's undo history, so a text
// that arrives without history is the program's and is taken as it stands. What the user does
// afterwards may add digits and delete anything, but never brings in a character that was not
// there. Checking the whole text against "digits only" instead would call such a field invalid,
// and QLineEdit stops rejecting keystrokes once its text is invalid.
class DigitsOnlyValidator final : public QValidator {
public:
    explicit DigitsOnlyValidator(QLineEdit* edit) : QValidator(edit), edit_(edit) {}

    State validate(QString& input, int& /*pos*/) const override {
        if (!edit_->isUndoAvailable()) {
            programText_ = nonDigits(input);
            return Acceptable;
        }
        return isSubsequence(nonDigits(input), programText_) ? Acceptable : Invalid;
    }

private:
    QLineEdit* edit_;
    mutable QString programText_; // the non-digit characters of the text the program last set
};

Qt::Alignment horizontalAlignment(unsigned flags) {
    if (flags & kCentred)
        return Qt::AlignHCenter;
    if (flags & kRightAligned)
        return Qt::AlignRight;
    return Qt::AlignLeft;
}

void applyBorder(QFrame* frame, unsigned flags) {
    if (flags & kSunken) {
        frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        frame->setLineWidth(1);
    } else if (flags & kBordered) {
        frame->setFrameStyle(QFrame::Box | QFrame::Plain);
        frame->setLineWidth(1);
    }
}

QWidget* makeLabel(QDialog& dialog, const ControlSpec& control, const QRect& rect) {
    auto* label = new QLabel(&dialog);
    label->setTextFormat(Qt::PlainText);
    label->setText(captionOf(control));
    label->setAlignment(horizontalAlignment(control.flags) | Qt::AlignVCenter);
    const bool roomForTwoLines = rect.height() >= 2 * label->fontMetrics().height();
    label->setWordWrap(roomForTwoLines && !(control.flags & kNoWrap));
    applyBorder(label, control.flags);
    label->setGeometry(rect);
    return label;
}

QWidget* makeComboBox(QDialog& dialog, const DialogBaseUnits& units, const QRect& dropRect) {
    auto* combo = new ComboBox(&dialog);
    combo->setEditable(false);
    const QFontMetrics metrics = combo->fontMetrics();
    // Windows gives a closed drop-down list 13 dialog units; the style's frame must fit around
    // the text as well.
    const int frame = combo->style()->pixelMetric(QStyle::PM_ComboBoxFrameWidth, nullptr, combo);
    const int closedHeight =
        std::max(metrics.height() + 2 * frame + 4, mulDiv(13, units.height, 8));
    combo->setGeometry(dropRect.x(), dropRect.y(), dropRect.width(), closedHeight);
    combo->setMaxVisibleItems(
        std::max(1, (dropRect.height() - closedHeight) / std::max(1, metrics.height())));
    return combo;
}

// While the controls are made, the application's font is the dialog's. An edit field lays out its
// (empty) text once as it is made, before it takes the font of its dialog, in the application's
// font: that loaded a second font (its file, its fallbacks and its glyphs) at every start only to
// be dropped at once. The controls themselves take the dialog's font either way.
class ApplicationFontWhileMaking {
public:
    explicit ApplicationFontWhileMaking(const QFont& font) : saved_(QApplication::font()) {
        if (font != saved_)
            QApplication::setFont(font);
    }
    ~ApplicationFontWhileMaking() {
        if (QApplication::font() != saved_)
            QApplication::setFont(saved_);
    }
    ApplicationFontWhileMaking(const ApplicationFontWhileMaking&) = delete;
    ApplicationFontWhileMaking& operator=(const ApplicationFontWhileMaking&) = delete;

private:
    const QFont saved_;
};

QWidget* makeEdit(QDialog& dialog, const ControlSpec& control, const QRect& rect) {
    auto* edit = new QLineEdit(&dialog);
    edit->setAlignment(horizontalAlignment(control.flags) | Qt::AlignVCenter);
    if (control.flags & kDigitsOnly)
        edit->setValidator(new DigitsOnlyValidator(edit));
    edit->setReadOnly((control.flags & kReadOnly) != 0);
    if (control.caption)
        edit->setText(captionOf(control));
    const int height = std::max(rect.height(), edit->minimumSizeHint().height());
    edit->setGeometry(rect.x(), rect.y(), rect.width(), height);
    return edit;
}

QWidget* makeButton(QDialog& dialog, const ControlSpec& control, const QRect& rect) {
    // The captions' '&' marks stay keyboard mnemonics, as in the Windows templates.
    auto* button = new PushButton(captionOf(control), &dialog);
    button->setDefault(control.kind == ControlKind::DefaultPushButton);
    button->setGeometry(rect);
    return button;
}

QWidget* makeSeparator(QDialog& dialog, const QRect& rect) {
    // A fixed grey that the dialog's colour scheme does not repaint: the palette role set here is
    // the frame's own and wins over the one the dialog passes down.
    auto* bar = new QFrame(&dialog);
    bar->setFrameStyle(QFrame::NoFrame);
    QPalette palette = bar->palette();
    palette.setColor(QPalette::Window, QColor(128, 128, 128));
    bar->setPalette(palette);
    bar->setAutoFillBackground(true);
    bar->setGeometry(rect);
    return bar;
}

QWidget* makeFrame(QDialog& dialog, const QRect& rect) {
    auto* frame = new QFrame(&dialog);
    frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    frame->setLineWidth(1);
    frame->setGeometry(rect);
    return frame;
}

QWidget* makePicture(QDialog& dialog, const ControlSpec& control, const QRect& rect) {
    auto* picture = new QLabel(&dialog);
    const QPixmap pixmap(captionOf(control));
    picture->setPixmap(pixmap);
    if (pixmap.isNull())
        picture->setGeometry(rect);
    else
        picture->setGeometry(QRect(rect.topLeft(), pixmap.deviceIndependentSize().toSize()));
    return picture;
}

// Windows draws label text at the top of its rectangle and its fields are lower than Qt's, so a
// label placed for Windows sits a little high beside a Qt field. A one-line label is centred on
// the field of its row: the nearest combo box or edit field whose height spans the label's middle.
void centreLabelsOnTheirRows(const std::vector<QLabel*>& labels,
                             const std::vector<QWidget*>& fields) {
    for (QLabel* label : labels) {
        if (label->wordWrap() || label->frameShape() != QFrame::NoFrame)
            continue;
        const QRect own = label->geometry();
        const QWidget* nearest = nullptr;
        int nearestDistance = 0;
        for (const QWidget* field : fields) {
            const QRect other = field->geometry();
            if (own.center().y() < other.top() || own.center().y() > other.bottom())
                continue;
            const int distance = other.left() >= own.right() ? other.left() - own.right()
                                                             : own.left() - other.right();
            if (distance < 0)
                continue; // overlapping horizontally: not a neighbour
            if (!nearest || distance < nearestDistance) {
                nearest = field;
                nearestDistance = distance;
            }
        }
        if (nearest)
            label->move(own.left(), nearest->geometry().center().y() - (own.height() - 1) / 2);
    }
}

} // namespace

DialogBaseUnits dialogBaseUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int alphabetWidth = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    // Windows computes (width / 26 + 1) / 2: the average over 52 letters, rounded half up.
    return {(alphabetWidth / 26 + 1) / 2, metrics.height()};
}

QRect mapDialogRect(const DialogBaseUnits& units, int x, int y, int width, int height) {
    const int left = mulDiv(x, units.averageWidth, 4);
    const int right = mulDiv(x + width, units.averageWidth, 4);
    const int top = mulDiv(y, units.height, 8);
    const int bottom = mulDiv(y + height, units.height, 8);
    return QRect(left, top, right - left, bottom - top);
}

QFont dialogFont(const char* family, int pointSize) {
    QString name = family ? QString::fromUtf8(family) : QString();
    if (name.compare(QStringLiteral("MS Sans Serif"), Qt::CaseInsensitive) == 0 || name.isEmpty())
        name = QStringLiteral("Arial");
    QFont font(name, pointSize > 0 ? pointSize : 8);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QFont fittingDialogFont(const QFont& font, QSize dialogUnits, QSize available) {
    // Room for the window frame and title bar, which the available area does not count.
    const QSize room = available - QSize(kFrameAllowance, kTitleAllowance);
    const auto fits = [&](const QFont& candidate) {
        const QSize size = mapDialogRect(dialogBaseUnits(candidate), 0, 0, dialogUnits.width(),
                                         dialogUnits.height())
                               .size();
        return size.width() <= room.width() && size.height() <= room.height();
    };
    if (available.isEmpty() || fits(font))
        return font;
    QFont smaller = font;
    for (qreal points = font.pointSizeF() - 0.25; points >= kSmallestPointSize; points -= 0.25) {
        smaller.setPointSizeF(points);
        if (fits(smaller))
            return smaller;
    }
    smaller.setPointSizeF(kSmallestPointSize);
    return smaller;
}

void buildFromTemplate(QDialog& dialog, const DialogSpec& layout) {
    // A screen too small for the dialog at its font (a small screen at a large scale) gets the
    // whole dialog a little smaller: every control stays in view and in its place.
    const QScreen* screen = dialog.screen();
    const QFont font = fittingDialogFont(dialogFont(layout.fontFamily, layout.pointSize),
                                         QSize(layout.width, layout.height),
                                         screen ? screen->availableGeometry().size() : QSize());
    dialog.setFont(font);
    dialog.setWindowTitle(layout.title ? QString::fromUtf8(layout.title) : QString());
    keepTitleBlankWhenEmpty(&dialog);
    const DialogBaseUnits units = dialogBaseUnits(font);
    dialog.setFixedSize(mapDialogRect(units, 0, 0, layout.width, layout.height).size());
    allowGrowingWhereTheWindowSystemInsists(dialog);

    std::vector<QLabel*> labels;
    std::vector<QWidget*> fields;
    auto* index = new ControlIndex(&dialog);
    const ApplicationFontWhileMaking sameFont(dialog.font());
    for (const ControlSpec& control : layout.controls) {
        const QRect rect =
            mapDialogRect(units, control.x, control.y, control.width, control.height);
        QWidget* widget = nullptr;
        switch (control.kind) {
        case ControlKind::Label:
            widget = makeLabel(dialog, control, rect);
            break;
        case ControlKind::GroupBox:
            widget = new QGroupBox(captionOf(control), &dialog);
            widget->setGeometry(rect);
            break;
        case ControlKind::ComboBox:
            widget = makeComboBox(dialog, units, rect);
            break;
        case ControlKind::Edit:
            widget = makeEdit(dialog, control, rect);
            break;
        case ControlKind::PushButton:
        case ControlKind::DefaultPushButton:
            widget = makeButton(dialog, control, rect);
            break;
        case ControlKind::Separator:
            widget = makeSeparator(dialog, rect);
            break;
        case ControlKind::Frame:
            widget = makeFrame(dialog, rect);
            break;
        case ControlKind::Picture:
            widget = makePicture(dialog, control, rect);
            break;
        }
        if (control.id != -1) {
            widget->setObjectName(QString::number(control.id));
            index->add(control.id, widget);
        }
        if (control.kind == ControlKind::Label)
            labels.push_back(static_cast<QLabel*>(widget));
        else if (control.kind == ControlKind::ComboBox || control.kind == ControlKind::Edit)
            fields.push_back(widget);
    }
    centreLabelsOnTheirRows(labels, fields);
}

QWidget* controlById(const QWidget& dialog, int id) {
    if (id == -1)
        return nullptr;
    if (const auto* index = dialog.findChild<ControlIndex*>(QString(), Qt::FindDirectChildrenOnly))
        if (QWidget* control = index->find(id))
            return control;
    return dialog.findChild<QWidget*>(QString::number(id));
}

} // namespace dk3::ui

#include "DialogTemplate.moc"
