#include "app/Debug.h"

#include "content/DebugLog.h"
#include "content/OurUtils.h"
#include "content/UnicodeText.h"
#include "platform/Paths.h"

#include <QFileDialog>
#include <QGuiApplication>
#include <QScreen>

#include <fstream>

namespace tav {

namespace {
constexpr int kWidth = 220, kHeight = 260, kPanelHeight = 41;

std::string AskSaveFile(QWidget* owner) {
    QFileDialog dialog(owner);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.setNameFilter(QStringLiteral("text files (*.txt)"));
    // No read-only box on this platform's dialog; the current folder is where it opens.
    dialog.setDirectory(QDir::currentPath());
    dialog.setSizeGripEnabled(true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first().toStdString();
}
} // namespace

std::function<std::string(QWidget*)> TForm_Debug::SaveDialog1 = AskSaveFile;

TForm_Debug::TForm_Debug(QWidget* parent) : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setWindowTitle(QStringLiteral("Tavolin Debug"));
    // Lines arriving must not take the keyboard from the learner's window,
    // and this window alone never keeps the program running.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(kWidth, kHeight);

    ListBox1 = new QListWidget(this);
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    Panel1 = new QWidget(this);
    Button_Clear = new QPushButton(QStringLiteral("Clear"), Panel1);
    Button_Clear->setGeometry(8, 8, 75, 25);
    Button_Save = new QPushButton(QStringLiteral("Save"), Panel1);
    Button_Save->setGeometry(90, 8, 75, 25);
    connect(Button_Clear, &QPushButton::clicked, this, [this] { Button_ClearClick(); });
    connect(Button_Save, &QPushButton::clicked, this, [this] { Button_SaveClick(); });

    LayoutControls();

    // At the right edge of the screen, and wholly on it.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        int left = area.right() + 1 - width();
        int top = area.top();
        if (top + height() > area.bottom() + 1) top = area.bottom() + 1 - height();
        move(left, top);
    }

    SetDebugSink([this](const std::string& line) { AddLine(line); });
}

TForm_Debug::~TForm_Debug() { SetDebugSink(nullptr); }

void TForm_Debug::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    LayoutControls();
}

// The list fills the window above the button panel at the bottom.
void TForm_Debug::LayoutControls() {
    Panel1->setGeometry(0, height() - kPanelHeight, width(), kPanelHeight);
    ListBox1->setGeometry(0, 0, width(), std::max(0, height() - kPanelHeight));
}

void TForm_Debug::AddLine(const std::string& line) {
    if (!DebugEnabled) return;
    if (!isVisible()) show();
    ListBox1->addItem(ToQString(line));
    ListBox1->setCurrentRow(ListBox1->count() - 1); // selecting scrolls it into view
    ListBox1->repaint();
}

std::vector<std::string> TForm_Debug::Lines() const {
    std::vector<std::string> out;
    for (int i = 0; i < ListBox1->count(); ++i) out.push_back(FromQString(ListBox1->item(i)->text()));
    return out;
}

bool TForm_Debug::SaveToFile(const std::string& file) const {
    // The name comes from the file dialog: a native path already.
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    for (const auto& l : Lines()) out << l << '\n';
    out.close();
    InvalidatePathCache();
    return static_cast<bool>(out);
}

void TForm_Debug::Button_ClearClick() { ListBox1->clear(); }

void TForm_Debug::Button_SaveClick() {
    const std::string file = SaveDialog1 ? SaveDialog1(this) : std::string();
    if (file.empty()) return;
    if (!SaveToFile(file)) throw EProgramError("Cannot create file \"" + file + "\"");
}

} // namespace tav
