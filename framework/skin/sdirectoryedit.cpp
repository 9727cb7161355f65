#include "framework/skin/sdirectoryedit.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>

#include "framework/accessibility.h"
#include "framework/dialogs.h"
#include "framework/exception_report.h"
#include "framework/layout_value.h"
#include "framework/local_paths.h"

namespace {

// A line edit with the picker button at its right end.
class DirectoryEditWidget final : public QWidget {
 public:
  explicit DirectoryEditWidget(QWidget* parent)
      : QWidget(parent), edit(new QLineEdit(this)), button(new QToolButton(this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(edit);
    layout->addWidget(button);
    button->setText("...");
    button->setFocusPolicy(Qt::NoFocus);
    button->setToolTip("Select directory");
    setFocusProxy(edit);
    SetAccessibleRole(this, QAccessible::Grouping);
  }
  void resizeEvent(QResizeEvent* event) override {
    button->setFixedSize(std::min(height(), 21), height());
    edit->setFixedHeight(height());
    QWidget::resizeEvent(event);
  }

  QLineEdit* edit;
  QToolButton* button;
};

}  // namespace

TsDirectoryEdit::TsDirectoryEdit(TComponent* owner) : TWinControl(owner) {
  width_ = 121;
  height_ = 21;
  color_ = clWindow;
  parentColor_ = false;
  SetTabStop(true);
}

QWidget* TsDirectoryEdit::CreateWidget(QWidget* parent) {
  auto* widget = new DirectoryEditWidget(parent);
  QObject::connect(widget->button, &QToolButton::clicked, SignalContext(),
                   [this] { Guarded(this, [this] { ChooseFolder(); }); });
  QObject::connect(widget->edit, &QLineEdit::textEdited, SignalContext(), [this](const QString& text) {
    Guarded(this, [this, &text] {
      caption_ = LocalPath(text);  // a folder named in bytes that are not UTF-8 keeps them
      if (OnChange) OnChange(this);
    });
  });
  return widget;
}

void TsDirectoryEdit::InitializeWidget() {
  TWinControl::InitializeWidget();
  ApplyEditState();
}

// A folder chosen in the picker or stored in the settings may be longer than anyone would type;
// cutting it would name another folder.
void TsDirectoryEdit::SetText(const AnsiString& text) {
  if (text == caption_) return;
  SetCaption(text);
  if (OnChange) OnChange(this);
}

void TsDirectoryEdit::SetMaxLength(int length) {
  maxLength_ = std::max(length, 0);
  ApplyEditState();
}

void TsDirectoryEdit::SetReadOnly(bool value) {
  readOnly_ = value;
  ApplyEditState();
}

bool TsDirectoryEdit::ChooseFolder() {
  AnsiString folder = DirectoryExists(caption_) ? caption_ : InitialDir;
  if (!Dialogs().SelectDirectory(DialogTitle, Root, folder)) return false;
  SetText(folder);
  return true;
}

void TsDirectoryEdit::ApplyEditState() {
  auto* widget = dynamic_cast<DirectoryEditWidget*>(widget_.data());
  if (!widget) return;
  widget->edit->setReadOnly(readOnly_);
  // The line edit would cut a longer text given to it.
  const int limit = maxLength_ > 0 ? maxLength_ : 32767;
  widget->edit->setMaxLength(std::max(limit, static_cast<int>(caption_.size())));
}

void TsDirectoryEdit::ApplyCaption() {
  TWinControl::ApplyCaption();
  if (auto* widget = dynamic_cast<DirectoryEditWidget*>(widget_.data())) {
    ApplyEditState();
    widget->edit->setText(QString::fromLocal8Bit(caption_.c_str()));
    widget->edit->setCursorPosition(0);
  }
}

void TsDirectoryEdit::ApplyColor() {
  TWinControl::ApplyColor();
  if (auto* widget = dynamic_cast<DirectoryEditWidget*>(widget_.data())) {
    QPalette palette = widget->edit->palette();
    palette.setColor(QPalette::Base, ToQColor(color_));
    widget->edit->setPalette(palette);
    widget->setAutoFillBackground(false);
  }
}

void TsDirectoryEdit::ApplyFont() {
  TWinControl::ApplyFont();
  if (auto* widget = dynamic_cast<DirectoryEditWidget*>(widget_.data())) widget->edit->setFont(font_.ToQFont());
}

// The name belongs to the text field too, which is what takes the focus; the picker button says
// what it opens rather than its dots.
void TsDirectoryEdit::ApplyAccessibility() {
  TWinControl::ApplyAccessibility();
  auto* widget = dynamic_cast<DirectoryEditWidget*>(widget_.data());
  if (!widget) return;
  widget->edit->setAccessibleName(widget_->accessibleName());
  widget->edit->setAccessibleDescription(widget_->accessibleDescription());
  widget->button->setAccessibleName(QString::fromLocal8Bit(DialogTitle.c_str()));
}

void TsDirectoryEdit::SetLayoutProperty(const AnsiString& name, const TLayoutValue& value) {
  if (SetSkinDataProperty(skinData_, name, value)) return;
  if (name == "Text") {
    SetText(value.Str());
  } else if (name == "MaxLength") {
    SetMaxLength(value.Int());
  } else if (name == "ReadOnly") {
    SetReadOnly(value.Bool());
  } else if (name == "InitialDir") {
    InitialDir = value.Str();
  } else if (name == "Root") {
    Root = value.Str();
  } else if (name == "DialogTitle") {
    DialogTitle = value.Str();
    if (widget_) ApplyAccessibility();
  } else if (name == "OnChange") {
    OnChange = value.Handler<TNotifyEvent>(Name() + ".OnChange");
  } else {
    TWinControl::SetLayoutProperty(name, value);
  }
}
