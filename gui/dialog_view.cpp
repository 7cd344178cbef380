// SPDX-License-Identifier: MIT
#include "dialog_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>

#include "app_icon.h"
#include "platform/fitted_line.h"
#include "platform/user_input.h"

namespace tovrik::gui {

namespace {

// What a line edit accepts when its control sets no limit.
constexpr int kUnlimitedEdit = 32767;

QString ToQt(const std::string& text)
{
    return QString::fromStdString(text);
}

// A read-only field has the window's background instead of a field's, as on
// Windows, so that it does not look as if it took typing.
void ShowReadOnly(QWidget* edit, bool readOnly)
{
    if (readOnly) {
        QPalette palette = edit->palette();
        for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            palette.setColor(group, QPalette::Base, palette.color(group, QPalette::Window));
        }
        edit->setPalette(palette);
    } else {
        // An empty palette inherits the window's again.
        edit->setPalette(QPalette());
    }
}

}  // namespace

DialogView::DialogView(Dialog& dialog, std::function<void()> afterInput, QWidget* parent)
    : QWidget(parent), dialog_(dialog), handle_(dialog.Handle()), afterInput_(std::move(afterInput))
{
    if (dialog.Template().fixedFont) {
        setFont(FontFor(dialog.Template(), font()));
    }
    units_ = DialogUnits::ForFont(font());
    setFixedSize(units_.ToPixels(dialog.Template().rect).size());
    Build();
    SyncFromModel();
}

QFont DialogView::FontFor(const DialogTemplate& dialog, const QFont& base)
{
    if (!dialog.fixedFont) {
        return base;
    }
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    // The same size as the rest of the window, only of fixed pitch.
    if (base.pointSizeF() > 0) {
        fixed.setPointSizeF(base.pointSizeF());
    }
    return fixed;
}

QSize DialogView::PixelSize(const DialogTemplate& dialog, const QFont& base)
{
    return DialogUnits::ForFont(FontFor(dialog, base)).ToPixels(dialog.rect).size();
}

Control* DialogView::ControlAt(int index)
{
    if (IsStale()) {
        return nullptr;
    }
    const auto& controls = dialog_.Controls();
    return index >= 0 && index < static_cast<int>(controls.size()) ? controls[index].get()
                                                                   : nullptr;
}

void DialogView::Input(int index, const std::function<void(Dialog&, Control&)>& action)
{
    if (syncing_) {
        return;
    }
    Control* control = ControlAt(index);
    if (control == nullptr) {
        return;
    }
    action(dialog_, *control);
    if (afterInput_) {
        afterInput_();
    }
}

void DialogView::Build()
{
    const auto& controls = dialog_.Controls();
    for (int i = 0; i < static_cast<int>(controls.size()); ++i) {
        QWidget* widget = MakeWidget(*controls[i], i);
        widget->setGeometry(units_.ToPixels(controls[i]->Area()));
        widget->setProperty("controlId", controls[i]->Id());
        indexOf_[widget] = i;
        bindings_.push_back(Binding{i, widget, {}, {}});
    }
    // Frames lie under the controls they hold, whatever their place in the template.
    for (const Binding& b : bindings_) {
        if (qobject_cast<QGroupBox*>(b.widget) != nullptr) {
            b.widget->lower();
        }
    }
}

QWidget* DialogView::MakeWidget(const Control& control, int index)
{
    switch (control.Kind()) {
        case ControlKind::Static: {
            auto* label = new QLabel(this);
            label->setTextFormat(Qt::PlainText);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            label->setWordWrap(control.Area().Height() >= kWrappingStaticHeight);
            const int iconId = dialog_.Template().controls[index].iconId;
            if (iconId != 0) {
                const QRect area = units_.ToPixels(control.Area());
                label->setPixmap(AppIcon().pixmap(std::min(area.width(), area.height())));
            }
            return label;
        }
        case ControlKind::GroupBox: {
            auto* box = new QGroupBox(this);
            // The title sits on the frame's top line, as the templates' layouts expect.
            box->setStyleSheet(QStringLiteral(
                "QGroupBox { border: 1px solid palette(mid); border-radius: 2px;"
                " margin-top: 0.5em; }"
                "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
                " left: 6px; padding: 0 2px; }"));
            return box;
        }
        case ControlKind::PushButton: {
            auto* button = new QPushButton(this);
            button->setAutoDefault(false);
            connect(button, &QPushButton::clicked, this,
                    [this, index] { Input(index, user_input::Click); });
            return button;
        }
        case ControlKind::CheckBox: {
            auto* box = new QCheckBox(this);
            connect(box, &QCheckBox::clicked, this,
                    [this, index] { Input(index, user_input::Click); });
            return box;
        }
        case ControlKind::RadioButton: {
            auto* radio = new QRadioButton(this);
            // The groups are the model's (runs of radio buttons), not the parent widget's.
            radio->setAutoExclusive(false);
            connect(radio, &QRadioButton::clicked, this,
                    [this, index] { Input(index, user_input::Click); });
            return radio;
        }
        case ControlKind::Edit: {
            if (dialog_.Template().controls[index].multiLine) {
                auto* text = new QPlainTextEdit(this);
                text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
                text->setTabChangesFocus(true);
                connect(text, &QPlainTextEdit::textChanged, this, [this, index, text] {
                    Input(index, [text](Dialog& d, Control& c) {
                        user_input::Type(d, c, text->toPlainText().toStdString());
                    });
                });
                text->installEventFilter(this);
                return text;
            }
            auto* edit = new QLineEdit(this);
            connect(edit, &QLineEdit::textEdited, this, [this, index](const QString& text) {
                Input(index, [&text](Dialog& d, Control& c) {
                    user_input::Type(d, c, text.toStdString());
                });
            });
            edit->installEventFilter(this);
            return edit;
        }
        case ControlKind::ComboBox: {
            auto* combo = new QComboBox(this);
            connect(combo, &QComboBox::activated, this, [this, index](int row) {
                Input(index, [row](Dialog& d, Control& c) { user_input::Select(d, c, row); });
            });
            combo->installEventFilter(this);
            return combo;
        }
        case ControlKind::ListBox: {
            auto* list = new QListWidget(this);
            list->setSelectionMode(QAbstractItemView::SingleSelection);
            connect(list, &QListWidget::currentRowChanged, this, [this, index](int row) {
                Input(index, [row](Dialog& d, Control& c) { user_input::Select(d, c, row); });
            });
            return list;
        }
        case ControlKind::Slider: {
            const bool vertical = control.Area().Height() > control.Area().Width();
            auto* slider = new QSlider(vertical ? Qt::Vertical : Qt::Horizontal, this);
            // A vertical slider of the desktop has its minimum at the top.
            slider->setInvertedAppearance(vertical);
            slider->setInvertedControls(vertical);
            connect(slider, &QSlider::valueChanged, this, [this, index](int position) {
                Input(index,
                      [position](Dialog& d, Control& c) { user_input::Slide(d, c, position); });
            });
            return slider;
        }
    }
    return new QWidget(this);
}

bool DialogView::eventFilter(QObject* watched, QEvent* event)
{
    const auto found = indexOf_.find(watched);
    if (found == indexOf_.end() || syncing_) {
        return QWidget::eventFilter(watched, event);
    }
    const int index = found->second;
    if (event->type() == QEvent::FocusOut) {
        // Focus that goes to a prompt or another application comes back; only
        // moving on inside the window leaves the field.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            Input(index, user_input::Leave);
        }
    } else if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
        const Control* control = ControlAt(index);
        if ((enter || key == Qt::Key_Tab) && control != nullptr && control->TakesEnterAndTab()) {
            Input(index, [enter](Dialog& d, Control& c) { user_input::Key(d, c, enter); });
            return true;
        }
        // Enter in a one-line field that leaves it to the dialog: its default button.
        if (enter && control != nullptr && qobject_cast<QLineEdit*>(watched) != nullptr) {
            Input(index, [](Dialog& d, Control& c) { user_input::Key(d, c, true); });
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void DialogView::SyncFromModel()
{
    if (IsStale()) {
        return;
    }
    syncing_ = true;
    for (Binding& binding : bindings_) {
        if (const Control* control = ControlAt(binding.index)) {
            SyncOne(binding, *control);
        }
    }
    syncing_ = false;
}

void DialogView::SyncOne(Binding& binding, const Control& control)
{
    QWidget* w = binding.widget;
    const QSignalBlocker blocker(w);
    if (w->isEnabled() != control.IsEnabled()) {
        w->setEnabled(control.IsEnabled());
    }
    if (w->isHidden() == control.IsVisible()) {
        w->setVisible(control.IsVisible());
    }
    const QString text = ToQt(control.Text());
    switch (control.Kind()) {
        case ControlKind::Static: {
            auto* label = static_cast<QLabel*>(w);
            if (dialog_.Template().controls[binding.index].iconId != 0) {
                break;
            }
            if (label->wordWrap()) {
                if (label->text() != text) {
                    label->setText(text);
                }
                break;
            }
            // A one-line label shows what fits of its text, all of it in its tooltip.
            if (binding.fittedFrom != control.Text()) {
                const QFontMetrics metrics(label->font());
                const std::string fitted =
                    FitLine(control.Text(), label->contentsRect().width(), [&](std::string_view s) {
                        return metrics.horizontalAdvance(
                            QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())));
                    });
                label->setText(ToQt(fitted));
                label->setToolTip(fitted != AsOneLine(control.Text()) ? text : QString());
                binding.fittedFrom = control.Text();
            }
            break;
        }
        case ControlKind::GroupBox: {
            auto* box = static_cast<QGroupBox*>(w);
            if (box->title() != text) {
                box->setTitle(text);
            }
            break;
        }
        case ControlKind::PushButton:
        case ControlKind::CheckBox:
        case ControlKind::RadioButton: {
            auto* button = static_cast<QAbstractButton*>(w);
            if (button->text() != text) {
                button->setText(text);
            }
            if (control.Kind() != ControlKind::PushButton) {
                button->setChecked(control.IsChecked());
            }
            break;
        }
        case ControlKind::Edit: {
            if (auto* lines = qobject_cast<QPlainTextEdit*>(w)) {
                if (lines->isReadOnly() != control.IsReadOnly()) {
                    lines->setReadOnly(control.IsReadOnly());
                    ShowReadOnly(lines, control.IsReadOnly());
                }
                if (lines->toPlainText() != text) {
                    const int cursor = lines->textCursor().position();
                    lines->setPlainText(text);
                    if (lines->hasFocus()) {
                        QTextCursor at = lines->textCursor();
                        at.setPosition(std::min(cursor, static_cast<int>(text.size())));
                        lines->setTextCursor(at);
                    }
                }
                break;
            }
            auto* edit = static_cast<QLineEdit*>(w);
            if (edit->isReadOnly() != control.IsReadOnly()) {
                edit->setReadOnly(control.IsReadOnly());
                ShowReadOnly(edit, control.IsReadOnly());
            }
            edit->setMaxLength(control.Limit() > 0 ? control.Limit() : kUnlimitedEdit);
            // Equal texts are left alone, so the cursor of a field being typed in stays put.
            if (edit->text() != text) {
                const int cursor = edit->cursorPosition();
                edit->setText(text);
                if (edit->hasFocus()) {
                    edit->setCursorPosition(std::min(cursor, static_cast<int>(text.size())));
                }
            }
            break;
        }
        case ControlKind::ComboBox: {
            auto* combo = static_cast<QComboBox*>(w);
            if (binding.shownItems != control.Items()) {
                combo->clear();
                for (const std::string& item : control.Items()) {
                    combo->addItem(ToQt(item));
                }
                binding.shownItems = control.Items();
            }
            if (combo->currentIndex() != control.GetCurSel()) {
                combo->setCurrentIndex(control.GetCurSel());
            }
            if (combo->placeholderText() != text) {
                combo->setPlaceholderText(text);
            }
            break;
        }
        case ControlKind::ListBox: {
            auto* list = static_cast<QListWidget*>(w);
            if (binding.shownItems != control.Items()) {
                list->clear();
                for (const std::string& item : control.Items()) {
                    list->addItem(ToQt(item));
                }
                binding.shownItems = control.Items();
            }
            if (list->currentRow() != control.GetCurSel()) {
                list->setCurrentRow(control.GetCurSel());
            }
            break;
        }
        case ControlKind::Slider: {
            auto* slider = static_cast<QSlider*>(w);
            if (slider->minimum() != control.RangeMin() ||
                slider->maximum() != control.RangeMax()) {
                slider->setRange(control.RangeMin(), control.RangeMax());
            }
            if (slider->value() != control.GetPos()) {
                slider->setValue(control.GetPos());
            }
            break;
        }
    }
}

QWidget* DialogView::WidgetFor(int id) const
{
    if (id == kNoControlId) {
        return nullptr;
    }
    for (const auto& [object, index] : indexOf_) {
        if (object->property("controlId").toInt() == id) {
            return static_cast<QWidget*>(object);
        }
    }
    return nullptr;
}

}  // namespace tovrik::gui
