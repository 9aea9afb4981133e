#include "shell/main_form.h"

#include "engine/conversion_run.h"
#include "shell/config_form.h"
#include "shell/conversion_texts.h"
#include "shell/dialog_service.h"
#include "shell/fonts.h"
#include "shell/page_preview.h"
#include "shell/qt_conversion_ui.h"
#include "shell/side_by_side_run.h"
#include "shell/status_line.h"
#include "shell/text_codec.h"
#include "shell/window_state.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <thread>
#include <utility>

namespace shell {
namespace {

const QString kVersion = QStringLiteral(PAGELUME_VERSION);
const QString kAuthorLine = QStringLiteral("作者：Pagelume 開発チーム");
const QString kWebSite = QStringLiteral("（公開準備中）"); // no public site yet

// The preview shows at most this many bytes of a text as read.
constexpr std::size_t kPreviewBytes = 10000;

// An entry's source as the run reads it (file-system bytes, or a member of a zip; see
// engine::MemberSourcePath) is kept in the item beside the text that shows it.
constexpr int kSourcePathRole = Qt::UserRole;

std::string sourcePathOf(const QListWidgetItem* item) {
    return item->data(kSourcePathRole).toByteArray().toStdString();
}

// The list as the conversion run reads it: live, so removals during the run shorten it. Once
// the window is closing it reads as empty, so the run stops after the entry it is working on.
class ListFileList final : public engine::FileList {
  public:
    ListFileList(const QListWidget& list, const bool& closing) : m_list(list), m_closing(closing) {}

    std::size_t count() const override {
        return m_closing ? 0 : static_cast<std::size_t>(m_list.count());
    }
    // The run asks for an entry's path as it starts on it: that entry is the one in hand. Held
    // by a persistent index, which an entry removed during the run leaves invalid.
    std::string path(std::size_t i) const override {
        m_inHand = QPersistentModelIndex(m_list.model()->index(static_cast<int>(i), 0));
        return sourcePathOf(m_list.item(static_cast<int>(i)));
    }
    bool isSelected(std::size_t i) const override {
        return m_list.item(static_cast<int>(i))->isSelected();
    }

    const QPersistentModelIndex& inHand() const { return m_inHand; }

  private:
    const QListWidget& m_list;
    const bool& m_closing;
    mutable QPersistentModelIndex m_inHand;
};

// Draws an entry's result in a column at the right of the row, as wide for every row, and the
// path elided in the room left of it. The result column's tooltip is the failure's reason.
class ResultColumnDelegate final : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    static constexpr int kPadding = 6;

    void setColumnWidth(int width) { m_width = width; }
    int columnWidth() const { return m_width; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (m_width == 0) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem row(option);
        initStyleOption(&row, index);
        const QWidget* view = option.widget;
        QStyle* style = view ? view->style() : QApplication::style();
        row.text.clear();
        // The row's selection and focus across both columns.
        style->drawControl(QStyle::CE_ItemViewItem, &row, painter, view);
        QStyleOptionViewItem path(option);
        path.rect.setRight(option.rect.right() - m_width);
        path.state &= ~QStyle::State_HasFocus;
        QStyledItemDelegate::paint(painter, path, index);
        const QString result = index.data(TMainForm::kResultRole).toString();
        if (result.isEmpty())
            return;
        painter->save();
        const bool selected = option.state & QStyle::State_Selected;
        painter->setPen(
            option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter->setFont(option.font);
        painter->drawText(resultRect(option.rect), Qt::AlignVCenter | Qt::AlignLeft, result);
        painter->restore();
    }

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override {
        const QString tip = index.data(TMainForm::kResultToolTipRole).toString();
        if (event && event->type() == QEvent::ToolTip && m_width > 0 && !tip.isEmpty() &&
            resultRect(option.rect).contains(event->pos())) {
            QToolTip::showText(event->globalPos(), tip, view);
            return true;
        }
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    }

  private:
    QRect resultRect(const QRect& row) const {
        QRect rect(row);
        rect.setLeft(row.right() - m_width + 1 + kPadding);
        return rect;
    }

    int m_width = 0;
};

QString outcomeText(const EntryOutcome& outcome) {
    switch (outcome.kind) {
    case EntryOutcome::Kind::Done:
        return outcome.geta > 0 ? QStringLiteral("〓 %1 個").arg(outcome.geta)
                                : QStringLiteral("完了");
    case EntryOutcome::Kind::Stopped:
        return QStringLiteral("中止");
    case EntryOutcome::Kind::Skipped:
        return QStringLiteral("飛ばした");
    case EntryOutcome::Kind::Failed:
        return QStringLiteral("失敗");
    }
    return {};
}

QString outcomeToolTip(const EntryOutcome& outcome) {
    switch (outcome.kind) {
    case EntryOutcome::Kind::Done:
        return outcome.geta > 0
                   ? QStringLiteral("%1 文字を〓にして書き込みました").arg(outcome.geta)
                   : QString();
    case EntryOutcome::Kind::Stopped:
        return QStringLiteral("中止したため、このファイルは書き込んでいません");
    case EntryOutcome::Kind::Skipped:
        return QStringLiteral("保存先を選ばなかったため、飛ばしました");
    case EntryOutcome::Kind::Failed:
        return outcome.reason;
    }
    return {};
}

// The tally of a run's results at the foot of the window.
struct RunTally {
    int done = 0;
    int geta = 0;
    int skipped = 0;
    int failed = 0;
    int stopped = 0;

    void add(const EntryOutcome& outcome) {
        switch (outcome.kind) {
        case EntryOutcome::Kind::Done:
            ++(outcome.geta > 0 ? geta : done);
            break;
        case EntryOutcome::Kind::Stopped:
            ++stopped;
            break;
        case EntryOutcome::Kind::Skipped:
            ++skipped;
            break;
        case EntryOutcome::Kind::Failed:
            ++failed;
            break;
        }
    }
    QString text() const {
        return QStringLiteral("完了 %1 ／ 〓あり %2 ／ 飛ばした %3 ／ 失敗 %4 ／ 中止 %5")
            .arg(done)
            .arg(geta)
            .arg(skipped)
            .arg(failed)
            .arg(stopped);
    }
};

QToolButton* toolButton(QWidget* parent, const char* name, const QString& caption,
                        const QString& toolTip) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(caption);
    button->setToolTip(toolTip);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setAutoRaise(true);
    button->setMinimumSize(72, 20);
    return button;
}

// Readme lines end in CR LF; a lone CR or LF ends a line as well.
QString withUnixLineEnds(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

} // namespace

TMainForm::TMainForm(DialogService& dialogs, MainFormSetup setup, QWidget* parent)
    : QMainWindow(parent), m_dialogs(dialogs), m_setup(std::move(setup)),
      m_converter(m_sources, m_input, m_outputs) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Pagelume for infoCarry  Version ") + kVersion);
    setFont(ProportionalGothic());
    buildMenus();
    buildCoolBar();
    buildContents();
    buildStatusBar();
    setAcceptDrops(true);
    // The client area of a 557 by 344 window, centred on the screen; wider when the band bar
    // needs it to show the idle status text whole (Japanese fonts other than "ＭＳ Ｐゴシック" run
    // wider).
    const int statusText =
        m_stxtStatus->fontMetrics().horizontalAdvance(QString::fromUtf16(kIdleStatus));
    // Taller where a page of the preview needs it: the tallest page is shown without scrolling.
    resize(std::max(549, m_CoolBar->sizeHint().width() + statusText + 16),
           std::max(317, sizeHint().height()));
    if (const QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    restoreWindowState();
    updateConvertButton();
    loadReadme();
    readInfoCarryHome();
    addPaths(m_setup.initialFiles);
}

void TMainForm::setConfigForm(TConfigForm* form) {
    m_configForm = form;
    // The page preview follows every edit of the settings.
    if (m_configForm)
        connect(m_configForm, &TConfigForm::settingsChanged, this, &TMainForm::refreshPagePreview);
}

void TMainForm::restoreWindowState() {
    if (m_setup.settingsPath.empty())
        return;
    const WindowState state = LoadWindowState(m_setup.settingsPath);
    m_openFolder = state.openFolder;
    if (!state.splitter.isEmpty())
        m_Splitter->setSizes(state.splitter);
    // A place that no screen shows any more (a monitor taken away) is not taken.
    if (state.geometry.isValid()) {
        for (const QScreen* screen : QGuiApplication::screens()) {
            if (screen->availableGeometry().intersects(state.geometry)) {
                setGeometry(state.geometry);
                break;
            }
        }
    }
}

void TMainForm::buildMenus() {
    auto action = [this](QMenu* menu, const char* name, const QString& caption, auto handler) {
        QAction* item = menu->addAction(caption);
        item->setObjectName(QString::fromLatin1(name));
        connect(item, &QAction::triggered, this, handler);
        return item;
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    file->setObjectName(QStringLiteral("mnuFile"));
    // The O of "(O)" is plain text, not an access key.
    m_mnuFileOpen = action(file, "mnuFileOpen", QStringLiteral("ファイル選択(O)..."),
                           &TMainForm::mnuFileOpenClick);
    m_mnuFileOpen->setShortcut(QKeySequence::Open);
    m_mnuOpenFolder = action(file, "mnuOpenFolder", QStringLiteral("保存先フォルダを開く"),
                             &TMainForm::openOutputFolder);
    m_mnuOpenFolder->setEnabled(false);
    file->addSeparator();
    m_mnuFileExit =
        action(file, "mnuFileExit", QStringLiteral("終了(&X)"), &TMainForm::mnuFileExitClick);
    m_mnuFileExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    QMenu* config = menuBar()->addMenu(QStringLiteral("設定(&C)"));
    config->setObjectName(QStringLiteral("mnuConfig"));
    m_mnuConfigConfig = action(config, "mnuConfigConfig", QStringLiteral("設定...(&C)"),
                               &TMainForm::mnuConfigConfigClick);
    QMenu* help = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    m_ShowReadme =
        action(help, "ShowReadme", QStringLiteral("readmeを表示"), &TMainForm::ShowReadmeClick);
    m_ShowReadme->setShortcut(QKeySequence(Qt::Key_F1));
    m_mnuAbout = action(help, "mnuAbout", QStringLiteral("バージョン情報(&A)..."),
                        &TMainForm::mnuAboutClick);
}

void TMainForm::buildCoolBar() {
    // The band bar: one fixed tool bar area with two bands side by side, the tool buttons and
    // the status line under its band text. Nothing in it can be dragged or floated.
    m_CoolBar = new QToolBar(this);
    m_CoolBar->setObjectName(QStringLiteral("CoolBar"));
    m_CoolBar->setMovable(false);
    m_CoolBar->setFloatable(false);
    m_CoolBar->setContextMenuPolicy(Qt::PreventContextMenu);
    m_CoolBar->toggleViewAction()->setVisible(false);
    m_CoolBar->setFixedHeight(33);
    addToolBar(Qt::TopToolBarArea, m_CoolBar);

    auto* bands = new QWidget(m_CoolBar);
    auto* bandsLayout = new QHBoxLayout(bands);
    bandsLayout->setContentsMargins(0, 0, 0, 0);
    bandsLayout->setSpacing(4);

    auto* tools = new QWidget(bands);
    tools->setObjectName(QStringLiteral("ToolBar"));
    auto* toolsLayout = new QHBoxLayout(tools);
    toolsLayout->setContentsMargins(0, 0, 0, 0);
    toolsLayout->setSpacing(0);
    m_tbtnFileOpen = toolButton(tools, "tbtnFileOpen", QStringLiteral("ファイル選択"),
                                QStringLiteral("整形するファイルを選択します"));
    m_tbtnReset = toolButton(tools, "tbtnReset", QStringLiteral("整形"),
                             QStringLiteral("選択したファイルを縦書きに整形します"));
    m_tbtnExit = toolButton(tools, "tbtnExit", QStringLiteral("終了"),
                            QStringLiteral("このコンバータを終了します"));
    toolsLayout->addWidget(m_tbtnFileOpen);
    toolsLayout->addWidget(m_tbtnReset);
    toolsLayout->addSpacing(8);
    toolsLayout->addWidget(m_tbtnExit);

    auto* divider = new QFrame(bands);
    divider->setFrameShape(QFrame::VLine);
    divider->setFrameShadow(QFrame::Sunken);

    auto* band = new QWidget(bands);
    band->setObjectName(QStringLiteral("StatusBand"));
    auto* bandLayout = new QHBoxLayout(band);
    bandLayout->setContentsMargins(0, 0, 0, 0);
    bandLayout->setSpacing(0);
    auto* bandText = new QLabel(QStringLiteral("処理状況："), band);
    bandText->setObjectName(QStringLiteral("StatusBandText"));
    m_stxtStatus = new StatusLine(band);
    // A long message is cut at the window's edge rather than widening the window.
    m_stxtStatus->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_stxtStatus->setMinimumHeight(16);
    bandLayout->addWidget(bandText);
    bandLayout->addWidget(m_stxtStatus, 1);

    bandsLayout->addWidget(tools);
    bandsLayout->addWidget(divider);
    bandsLayout->addWidget(band, 1);
    m_CoolBar->addWidget(bands);

    connect(m_tbtnFileOpen, &QToolButton::clicked, this, &TMainForm::mnuFileOpenClick);
    connect(m_tbtnReset, &QToolButton::clicked, this, &TMainForm::tbtnResetClick);
    connect(m_tbtnExit, &QToolButton::clicked, this, &TMainForm::mnuFileExitClick);
}

void TMainForm::buildContents() {
    m_Splitter = new QSplitter(Qt::Horizontal, this);
    m_Splitter->setObjectName(QStringLiteral("Splitter"));
    m_Splitter->setHandleWidth(10);
    m_Splitter->setChildrenCollapsible(false);

    m_lstFilename = new QListWidget(m_Splitter);
    m_lstFilename->setObjectName(QStringLiteral("lstFilename"));
    m_lstFilename->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_lstFilename->setMinimumWidth(30);
    m_lstFilename->setContextMenuPolicy(Qt::CustomContextMenu);
    // Full paths, cut in the middle so that the file name stays in sight; the whole path is the
    // entry's tooltip.
    m_lstFilename->setTextElideMode(Qt::ElideMiddle);
    m_lstFilename->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_lstFilename->setItemDelegate(new ResultColumnDelegate(m_lstFilename));

    m_previewTabs = new QTabWidget(m_Splitter);
    m_previewTabs->setObjectName(QStringLiteral("PreviewTabs"));
    auto* textTab = new QWidget(m_previewTabs);
    auto* textLayout = new QVBoxLayout(textTab);
    textLayout->setContentsMargins(0, 0, 0, 0);
    textLayout->setSpacing(2);
    m_memoContents = new QPlainTextEdit(textTab);
    m_memoContents->setObjectName(QStringLiteral("memoContents"));
    m_memoContents->setReadOnly(true);
    m_memoContents->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_memoContents->setFont(FixedGothic());
    m_memoContents->setMinimumWidth(30);
    m_lblPreviewCut = new QLabel(textTab);
    m_lblPreviewCut->setObjectName(QStringLiteral("lblPreviewCut"));
    m_lblPreviewCut->setText(
        QStringLiteral("ファイルの先頭 %1 バイトだけを表示しています").arg(kPreviewBytes));
    m_lblPreviewCut->hide();
    textLayout->addWidget(m_memoContents, 1);
    textLayout->addWidget(m_lblPreviewCut);
    m_previewTabs->addTab(textTab, QStringLiteral("テキスト"));
    m_pagePreview = new PagePreview(m_previewTabs);
    m_previewTabs->addTab(m_pagePreview, QStringLiteral("ページ"));
    connect(m_previewTabs, &QTabWidget::currentChanged, this, &TMainForm::refreshPagePreview);

    m_Splitter->addWidget(m_lstFilename);
    m_Splitter->addWidget(m_previewTabs);
    m_Splitter->setStretchFactor(0, 0);
    m_Splitter->setStretchFactor(1, 1);
    m_Splitter->setSizes({241, 298});
    setCentralWidget(m_Splitter);

    m_pmnuListBox = new QMenu(this);
    m_pmnuListBox->setObjectName(QStringLiteral("pmnuListBox"));
    m_pmnuSelectAll = m_pmnuListBox->addAction(QStringLiteral("全て選択"));
    m_pmnuSelectAll->setObjectName(QStringLiteral("pmnuSelectAll"));
    m_pmnuErase = m_pmnuListBox->addAction(QStringLiteral("一覧から削除する"));
    m_pmnuErase->setObjectName(QStringLiteral("pmnuErase"));
    connect(m_pmnuSelectAll, &QAction::triggered, this, &TMainForm::pmnuSelectAllClick);
    connect(m_pmnuErase, &QAction::triggered, this, &TMainForm::pmnuEraseClick);
    // Delete removes the selected entries, as the pop-up menu does.
    m_actDelete = new QAction(this);
    m_actDelete->setObjectName(QStringLiteral("actDelete"));
    m_actDelete->setShortcut(QKeySequence::Delete);
    m_actDelete->setShortcutContext(Qt::WidgetShortcut);
    m_lstFilename->addAction(m_actDelete);
    connect(m_actDelete, &QAction::triggered, this, &TMainForm::pmnuEraseClick);
    // Only the left button selects entries: a right click opens the pop-up menu over the
    // selection as it stands, so that "一覧から削除する" removes what the user selected.
    m_lstFilename->viewport()->installEventFilter(this);
    connect(m_lstFilename, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        m_pmnuListBox->popup(m_lstFilename->viewport()->mapToGlobal(at));
    });
    connect(m_lstFilename, &QListWidget::itemSelectionChanged, this, &TMainForm::selectionChanged);
}

void TMainForm::buildStatusBar() {
    // The progress of a run over all its entries, and the way to stop it.
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progressRun"));
    m_progress->setRange(0, 1000);
    m_progress->setTextVisible(false);
    m_progress->setMaximumWidth(200);
    m_tbtnStop = new QToolButton(this);
    m_tbtnStop->setObjectName(QStringLiteral("tbtnStop"));
    m_tbtnStop->setText(QStringLiteral("中止"));
    m_tbtnStop->setToolTip(QStringLiteral("書いているページで変換を止めます"));
    connect(m_tbtnStop, &QToolButton::clicked, this, &TMainForm::stopConversion);
    // The last run's tally: a widget rather than a bar message, so that it is elided with a
    // tooltip instead of cut, and no passing message of a menu item takes it away.
    m_lblRunSummary = new ElidedLabel(this);
    m_lblRunSummary->setObjectName(QStringLiteral("lblRunSummary"));
    m_lblRunSummary->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    statusBar()->addWidget(m_lblRunSummary, 1);
    statusBar()->addPermanentWidget(m_progress);
    statusBar()->addPermanentWidget(m_tbtnStop);
    statusBar()->setSizeGripEnabled(true);
    m_progress->hide();
    m_tbtnStop->hide();
}

void TMainForm::selectionChanged() {
    // Select-all and removal change the selection themselves: they follow their own rules for
    // the preview. What the user selects is previewed.
    if (!m_selectingByProgram)
        lstFilenameClick();
    updateConvertButton();
}

void TMainForm::readInfoCarryHome() {
    if (!m_setup.readInfoCarryHome)
        return;
    const platform::RegistryString home = m_setup.readInfoCarryHome();
    switch (home.status) {
    case platform::RegistryStringStatus::Found:
        m_infoCarryHome = home.value;
        break;
    case platform::RegistryStringStatus::Absent:
        break;
    case platform::RegistryStringStatus::NotAString:
        // A value of another type is no reason to stop: the save question then opens without it.
        m_dialogs.showError(this, QStringLiteral("'%1' のデータ型が不正です")
                                      .arg(QString::fromLatin1(platform::kHomePathValueName)));
        m_infoCarryHome.clear();
        break;
    }
}

bool TMainForm::loadReadme() {
    QFile file(m_setup.readmePath);
    if (m_setup.readmePath.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        m_dialogs.showMessage(this, QStringLiteral("read201.txt が見つかりません。\n"
                                                   "アーカイブが改変された可能性があります。"));
        return false;
    }
    const QByteArray bytes = file.readAll();
    m_memoContents->setPlainText(
        withUnixLineEnds(FromShiftJis(std::string_view(bytes.constData(), bytes.size()))));
    return true;
}

void TMainForm::updateConvertButton() {
    // There is something to convert exactly while entries are selected.
    const bool convertWanted = !m_lstFilename->selectedItems().isEmpty();
    m_tbtnReset->setEnabled(convertWanted && !m_running);
}

void TMainForm::ShowStatus(const QString& text, bool revert) {
    m_stxtStatus->ShowStatus(text, revert);
}

void TMainForm::STextTimerTimer() {
    m_stxtStatus->STextTimerTimer();
}

void TMainForm::mnuFileOpenClick() {
    ShowStatus(QStringLiteral("変換するファイルを選んでください"), false);
    FileDialogRequest request;
    request.filters = {QStringLiteral("テキストファイル(*.txt *.zip)"),
                       // "*" rather than "*.*": on this file system names need no dot.
                       QStringLiteral("全てのファイル(*)")};
    request.defaultSuffix = QStringLiteral("txt");
    request.folder = m_openFolder;
    const QStringList files = m_dialogs.getOpenFileNames(this, request);
    if (files.isEmpty()) {
        ShowStatus(QStringLiteral("ファイルのオープンを中止しました"), true);
        return;
    }
    m_openFolder = QFileInfo(files.front()).absolutePath();
    addPaths(files);
    ShowStatus(QStringLiteral("変換するファイルの選択を完了しました"), true);
}

void TMainForm::addPaths(const QStringList& paths) {
    QListWidgetItem* last = nullptr;
    for (const QString& path : paths) {
        std::vector<std::string> entries{PathToBytes(path)};
        if (QFileInfo(path).isDir()) {
            entries.clear();
            const QDir folder(path);
            for (const QString& name :
                 folder.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name))
                entries.push_back(
                    PathToBytes(QDir::toNativeSeparators(folder.absoluteFilePath(name))));
        } else if (files::IsZipPath(entries.front())) {
            // A zip stands for the texts it holds, one entry each.
            const std::string zip = entries.front();
            entries.clear();
            engine::NoEventPump pump;
            const files::ZipTexts texts = files::ListZipTexts(zip, pump);
            if (!texts.ok)
                m_dialogs.showError(
                    this, FailureText({engine::Failure::Action::ReadSource, zip, texts.error}));
            for (const std::string& member : texts.members)
                entries.push_back(engine::MemberSourcePath(zip, member));
        }
        for (const std::string& entry : entries) {
            auto* item = new QListWidgetItem(EntryText(entry), m_lstFilename);
            item->setData(kSourcePathRole,
                          QByteArray(entry.data(), static_cast<qsizetype>(entry.size())));
            item->setToolTip(item->text());
            last = item;
        }
    }
    // What was added is at the end of the list, perhaps below what the list shows.
    if (last)
        m_lstFilename->scrollToItem(last);
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            event->acceptProposedAction();
            return;
        }
    }
}

void TMainForm::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            paths << QDir::toNativeSeparators(url.toLocalFile());
    }
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    addPaths(paths);
    ShowStatus(QStringLiteral("変換するファイルの選択を完了しました"), true);
}

void TMainForm::tbtnResetClick() {
    if (m_running || m_converter.running() || !m_configForm)
        return;
    m_running = true;
    updateConvertButton();
    struct RunEnd {
        TMainForm* form;
        ~RunEnd() {
            form->m_running = false;
            form->updateConvertButton();
        }
    } runEnd{this};
    // Saving without asking takes the settings once, for every entry of the run.
    std::optional<engine::Settings> snapshot;
    std::optional<QString> saveFolder;
    if (m_configForm->liveSettings().saveWithoutAsking) {
        saveFolder = saveFolderWithoutAsking();
        if (!saveFolder)
            return;
        snapshot = m_configForm->liveSettings();
    }
    ListFileList files(*m_lstFilename, m_closing);
    RunTally tally;
    QtConversionUi ui(m_dialogs, this,
                      [this](const QString& text, bool revert) { ShowStatus(text, revert); });
    if (saveFolder)
        ui.saveInto(*saveFolder);
    m_stopRequested = false;
    ui.stopWhen(&m_stopRequested);
    // Every selected entry, as the run starts: no output may be written over one of them.
    std::vector<std::string> selected;
    for (QListWidgetItem* item : m_lstFilename->selectedItems()) {
        selected.push_back(sourcePathOf(item));
        item->setData(kResultRole, QVariant());
        item->setData(kResultToolTipRole, QVariant());
    }
    updateResultColumn();
    m_outputs.setSources(files::RunSources(selected, false));
    ui.keepSources(&m_outputs.sources());
    QPersistentModelIndex told; // the entry told of, when entries run side by side
    ui.reportOutcomes([this, &files, &tally, &told,
                       sideBySide = snapshot.has_value()](const EntryOutcome& outcome) {
        tally.add(outcome);
        showOutcome(sideBySide ? told : files.inHand(), outcome);
    });
    ui.trackRun(static_cast<int>(m_lstFilename->selectedItems().size()), [this](double fraction) {
        m_progress->setValue(static_cast<int>(fraction * 1000));
    });
    m_progress->setValue(0);
    statusBar()->clearMessage();
    m_lblRunSummary->showText(QString());
    m_progress->show();
    m_tbtnStop->setEnabled(true);
    m_tbtnStop->show();
    engine::RunResult result = engine::RunResult::Ran;
    if (snapshot && !engine::SettingsAreValid(*snapshot)) {
        result = engine::RunResult::InvalidSettings;
    } else if (snapshot) {
        // No dialog holds the run up between entries: they are converted on every core.
        std::vector<SideBySideEntry> entries;
        for (int row = 0; row < m_lstFilename->count(); ++row) {
            if (m_lstFilename->item(row)->isSelected())
                entries.push_back({sourcePathOf(m_lstFilename->item(row)),
                                   QPersistentModelIndex(m_lstFilename->model()->index(row, 0))});
        }
        RunSideBySide(this, entries, *snapshot, ui, m_outputs, m_stopRequested,
                      std::max(1u, std::thread::hardware_concurrency()),
                      [&told](const SideBySideEntry& entry) { told = entry.row; });
    } else {
        result =
            m_converter.RunConversion(files, m_infoCarryHome, m_configForm->liveSettings(), ui);
    }
    m_progress->hide();
    m_tbtnStop->hide();
    if (result == engine::RunResult::InvalidSettings) {
        m_dialogs.showError(this, QStringLiteral("設定値が範囲を外れているため、変換できません。"
                                                 "設定を見直してください。"));
        return;
    }
    // At the foot of the window, so it stays until the next run while the status line goes on.
    QString summary = tally.text();
    if (!ui.written().empty()) {
        const QString last = PathFromBytes(ui.written().back());
        m_outputFolder = QFileInfo(last).absolutePath();
        m_mnuOpenFolder->setEnabled(true);
        summary += QStringLiteral("　%1 個のファイルを書き込みました（保存先：%2）")
                       .arg(ui.written().size())
                       .arg(QDir::toNativeSeparators(m_outputFolder));
    }
    m_lblRunSummary->showText(summary);
    if (!ui.failuresNotShown().isEmpty())
        m_dialogs.showError(this, FailuresOfTheRunText(ui.failuresNotShown()));
}

// The output folder of a run that saves without asking. When none is set, or it is not there, the
// user hears of it and may choose one; nothing, when they do not.
std::optional<QString> TMainForm::saveFolderWithoutAsking() {
    const QString folder = PathFromBytes(m_configForm->liveSettings().savepath);
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        return folder;
    const QString problem =
        folder.isEmpty() ? QStringLiteral("「保存先フォルダに確認せずに保存する」がオンですが、"
                                          "保存先フォルダが設定されていません。")
                         : QStringLiteral("保存先フォルダ「%1」が見つかりません。")
                               .arg(QDir::toNativeSeparators(folder));
    if (!m_dialogs.askYesNo(this, problem + QStringLiteral("\n保存先フォルダを選びますか？"),
                            QString::fromUtf16(kApplicationTitle)))
        return std::nullopt;
    const QString chosen =
        m_dialogs.getExistingDirectory(this, QStringLiteral("保存先フォルダを選択してください"));
    if (chosen.isEmpty())
        return std::nullopt;
    m_configForm->chooseSavePath(chosen);
    return chosen;
}

void TMainForm::showOutcome(const QPersistentModelIndex& entry, const EntryOutcome& outcome) {
    // An entry removed while the run worked on it has nowhere to show its result.
    if (!entry.isValid())
        return;
    QListWidgetItem* item = m_lstFilename->item(entry.row());
    const QString text = outcomeText(outcome);
    item->setData(kResultRole, text);
    item->setData(kResultToolTipRole, outcomeToolTip(outcome));
    // The run cleared its entries' results as it started, so one more result can only widen the
    // column: measured alone, not with the whole list again for every entry of a long batch.
    auto* delegate = static_cast<ResultColumnDelegate*>(m_lstFilename->itemDelegate());
    const int width = QFontMetrics(m_lstFilename->font()).horizontalAdvance(text) +
                      2 * ResultColumnDelegate::kPadding;
    if (width > delegate->columnWidth())
        delegate->setColumnWidth(width);
    m_lstFilename->viewport()->update();
}

void TMainForm::updateResultColumn() {
    auto* delegate = static_cast<ResultColumnDelegate*>(m_lstFilename->itemDelegate());
    const QFontMetrics metrics(m_lstFilename->font());
    int widest = 0;
    for (int i = 0; i < m_lstFilename->count(); ++i) {
        const QString result = m_lstFilename->item(i)->data(kResultRole).toString();
        if (!result.isEmpty())
            widest = std::max(widest, metrics.horizontalAdvance(result));
    }
    delegate->setColumnWidth(widest > 0 ? widest + 2 * ResultColumnDelegate::kPadding : 0);
    m_lstFilename->viewport()->update();
}

void TMainForm::stopConversion() {
    m_stopRequested = true;
    m_tbtnStop->setEnabled(false);
}

void TMainForm::openOutputFolder() {
    if (m_outputFolder.isEmpty())
        return;
    const QString folder = QDir::toNativeSeparators(m_outputFolder);
    // A folder moved or removed since the run would only make the file manager fail vaguely.
    if (!QFileInfo(m_outputFolder).isDir()) {
        m_dialogs.showError(this, QStringLiteral("保存先フォルダ「%1」を開けませんでした。\n"
                                                 "理由：フォルダが見つかりません")
                                      .arg(folder));
        return;
    }
    const QUrl url = QUrl::fromLocalFile(m_outputFolder);
    const bool opened =
        m_setup.openFolder ? m_setup.openFolder(url) : QDesktopServices::openUrl(url);
    if (!opened)
        m_dialogs.showError(this, QStringLiteral("保存先フォルダ「%1」を開けませんでした。\n"
                                                 "理由：フォルダを表示するプログラム（ファイル"
                                                 "マネージャー）を起動できません")
                                      .arg(folder));
}

void TMainForm::mnuFileExitClick() {
    close();
}

void TMainForm::mnuConfigConfigClick() {
    ShowStatus(QStringLiteral("整形する際に使用する設定値を決めてください"), false);
    if (m_configForm)
        m_dialogs.execDialog(*m_configForm);
    // Every edit is in force however the dialog was left.
    ShowStatus(QStringLiteral("設定を変更しました"), true);
}

void TMainForm::ShowReadmeClick() {
    loadReadme();
}

void TMainForm::mnuAboutClick() {
    const QString ideographicSpace(QChar(0x3000));
    const QString text =
        ideographicSpace.repeated(4) + QStringLiteral("Pagelume for infoCarry\n") +
        ideographicSpace.repeated(9) + QStringLiteral("Version ") + kVersion +
        QStringLiteral("\n") + QStringLiteral("\n") + ideographicSpace.repeated(5) + kAuthorLine +
        QStringLiteral("\n\nWeb Site:\n") + ideographicSpace.repeated(2) + kWebSite;
    m_dialogs.showMessage(this, text);
}

void TMainForm::lstFilenameClick() {
    // Nothing selected (a click on the empty space below the entries): nothing to preview.
    if (m_lstFilename->selectedItems().isEmpty()) {
        m_memoContents->clear();
        m_lblPreviewCut->hide();
        m_pagePreview->show({}, {});
        return;
    }
    ShowStatus(QStringLiteral("プレビュー用にファイルを読み込んでいます"), false);
    updateConvertButton();
    // The focused entry: the one clicked last, also within a wider selection.
    const QListWidgetItem* focused = m_lstFilename->currentItem();
    if (!focused) {
        STextTimerTimer();
        return;
    }
    showPreviewOf(focused);
}

void TMainForm::showPreviewOf(const QListWidgetItem* item) {
    const std::string path = sourcePathOf(item);
    // Bytes enough for the preview's text after the CRs of CR LF line ends are dropped, and for
    // as much text in an encoding of up to four bytes a character.
    const std::size_t readLimit = 4 * kPreviewBytes + 4;
    const engine::SourceBytes head = files::ReadSourceStart(path, readLimit);
    if (!head.ok) {
        m_memoContents->clear();
        m_lblPreviewCut->hide();
        m_pagePreview->show({}, {});
        m_dialogs.showError(this,
                            FailureText({engine::Failure::Action::ReadSource, path, head.error}));
        STextTimerTimer();
        return;
    }
    const engine::Encoding encoding =
        m_configForm ? m_configForm->liveSettings().encoding : engine::Encoding::Auto;
    const Preview preview =
        PreviewText(head.bytes, head.bytes.size() == readLimit, encoding, kPreviewBytes);
    m_memoContents->setPlainText(preview.text);
    m_lblPreviewCut->setText(
        preview.characters > 0
            ? QStringLiteral("ファイルの先頭 %1 文字だけを表示しています").arg(preview.characters)
            : QStringLiteral("ファイルの先頭 %1 バイトだけを表示しています").arg(kPreviewBytes));
    m_lblPreviewCut->setVisible(preview.cut);
    refreshPagePreview();
    ShowStatus(QStringLiteral("選択したファイルの読み込みを完了しました"), true);
}

void TMainForm::refreshPagePreview() {
    // Pages are laid out only while they are looked at.
    if (m_previewTabs->currentWidget() != m_pagePreview || !m_configForm)
        return;
    const QListWidgetItem* focused = m_lstFilename->currentItem();
    if (!focused || m_lstFilename->selectedItems().isEmpty()) {
        m_pagePreview->show({}, {});
        return;
    }
    m_pagePreview->show(sourcePathOf(focused), m_configForm->liveSettings());
}

void TMainForm::pmnuSelectAllClick() {
    m_selectingByProgram = true;
    m_lstFilename->selectAll();
    m_selectingByProgram = false;
    updateConvertButton();
}

void TMainForm::pmnuEraseClick() {
    m_selectingByProgram = true;
    for (int i = 0; i < m_lstFilename->count();) {
        // The entries after a removed one move up, so the same position is looked at again.
        if (m_lstFilename->item(i)->isSelected())
            delete m_lstFilename->takeItem(i);
        else
            ++i;
    }
    m_selectingByProgram = false;
    updateResultColumn();
    m_memoContents->clear();
    m_lblPreviewCut->hide();
    m_pagePreview->show({}, {});
    updateConvertButton();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (m_lstFilename && watched == m_lstFilename->viewport()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
                return true;
            break;
        default:
            break;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::closeEvent(QCloseEvent* event) {
    // A run in progress stops as the stop button stops it: the entry in hand leaves nothing
    // half-written, and the run then finds the list empty.
    m_closing = true;
    m_stopRequested = true;
    if (!m_setup.settingsPath.empty()) {
        const settings::WriteStatus status = SaveWindowState(
            m_setup.settingsPath, {m_openFolder, normalGeometry(), m_Splitter->sizes()});
        if (!status.ok)
            m_dialogs.showError(this,
                                SettingsFailureText(SettingsAccess::Write, m_setup.settingsPath,
                                                    status.reason, status.code));
    }
    QMainWindow::closeEvent(event);
}

} // namespace shell
