#include "shell/page_preview.h"

#include "engine/header_recognition.h"
#include "engine/page_geometry.h"
#include "engine/page_writer.h"
#include "files/source_files.h"
#include "input/source_text.h"
#include "shell/conversion_texts.h"
#include "shell/fonts.h"
#include "shell/text_codec.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTextDocument>
#include <QTextLayout>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <climits>
#include <cmath>
#include <optional>

namespace shell {

std::shared_ptr<PagedText> PaginateSource(const std::string& path,
                                          const engine::Settings& settings) {
    auto paged = std::make_shared<PagedText>();
    paged->spaceline = settings.spaceline;
    const engine::PageGeometry geometry =
        engine::MakePageGeometry(settings.gyokan, settings.charsize, settings.spaceline);
    engine::NoEventPump pump;
    engine::SourceBytes file = files::FileSystemSources().read(path, pump);
    if (!file.ok) {
        paged->failure = ReasonText(file.error);
        return paged;
    }
    engine::SourceText source = input::SourceFromBytes(std::move(file.bytes), settings, pump);
    std::optional<engine::TitlePage> titlePage;
    if (settings.useheader) {
        engine::HeaderInfo info;
        const std::int32_t headLength = engine::RecognizeHeader(source.text, info);
        titlePage = engine::MakeTitlePage(info, headLength, geometry);
    }
    std::optional<engine::PreparedText> prepared = engine::PrepareText(
        std::move(source), titlePage ? &*titlePage : nullptr, geometry, settings, pump);
    if (!prepared) {
        paged->failure = ReasonText(engine::FileError::Of(engine::FileError::Cause::TooLarge));
        return paged;
    }
    paged->prepared = std::move(*prepared);
    // Every page's start is found here, off the window's thread: a jump to the last of a long
    // book's pages would otherwise lay out all pages before it while the window waits.
    const engine::PreparedText& text = paged->prepared;
    paged->pageStarts.reserve(static_cast<std::size_t>(text.pageCount));
    paged->pageStarts.push_back(engine::LayoutState{});
    engine::PageRows rows;
    while (static_cast<std::int64_t>(paged->pageStarts.size()) < text.pageCount) {
        engine::LayoutState state = paged->pageStarts.back();
        engine::LayoutPage(paged->spaceline, text.geometry, text.text, rows, state);
        paged->pageStarts.push_back(state);
    }
    return paged;
}

QStringList PageLines(PagedText& paged, std::int64_t index) {
    const engine::PreparedText& prepared = paged.prepared;
    index = std::clamp<std::int64_t>(index, 0, prepared.pageCount - 1);
    engine::PageRows rows;
    // Pages are laid out from the nearest start known, each start kept for later.
    while (static_cast<std::int64_t>(paged.pageStarts.size()) <= index) {
        engine::LayoutState state = paged.pageStarts.back();
        engine::LayoutPage(paged.spaceline, prepared.geometry, prepared.text, rows, state);
        paged.pageStarts.push_back(state);
    }
    engine::LayoutState state = paged.pageStarts[static_cast<std::size_t>(index)];
    engine::LayoutPage(paged.spaceline, prepared.geometry, prepared.text, rows, state);
    std::string page;
    engine::WritePage(prepared.geometry, page, rows);
    QStringList lines;
    // The page as written: CR LF, then rows of 40 bytes each ended by CR LF.
    for (std::size_t at = 2; at + 40 <= page.size(); at += 42)
        lines << FromShiftJis(std::string_view(page).substr(at, 40));
    return lines;
}

namespace {

QToolButton* navigationButton(QWidget* parent, const char* name, const QString& caption,
                              const QString& toolTip) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(caption);
    button->setToolTip(toolTip);
    return button;
}

} // namespace

PagePreview::PagePreview(QWidget* parent)
    : QWidget(parent), m_page(new QPlainTextEdit(this)), m_pageNumber(new QSpinBox(this)),
      m_pageLabel(new QLabel(this)),
      m_first(navigationButton(this, "btnFirstPage", QStringLiteral("≪"),
                               QStringLiteral("最初のページ"))),
      m_previous(navigationButton(this, "btnPreviousPage", QStringLiteral("＜"),
                                  QStringLiteral("前のページ"))),
      m_next(navigationButton(this, "btnNextPage", QStringLiteral("＞"),
                              QStringLiteral("次のページ"))),
      m_last(navigationButton(this, "btnLastPage", QStringLiteral("≫"),
                              QStringLiteral("最後のページ"))) {
    setObjectName(QStringLiteral("PagePreview"));
    m_page->setObjectName(QStringLiteral("memoPage"));
    m_page->setReadOnly(true);
    m_page->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_page->setFont(PageFont());
    // The page's edge: a frame exactly one page wide around the rows.
    m_page->setFrameShape(QFrame::Box);
    // The page keys turn pages rather than move the cursor in the page's text.
    m_page->installEventFilter(this);
    m_pageNumber->setObjectName(QStringLiteral("spinPage"));
    m_pageNumber->setToolTip(QStringLiteral("表示するページ"));
    // A number typed digit by digit is gone to once, on Enter, not page by page as it grows.
    m_pageNumber->setKeyboardTracking(false);
    m_pageNumber->setRange(1, 1);
    m_pageLabel->setObjectName(QStringLiteral("lblPage"));

    auto* navigation = new QHBoxLayout;
    m_navigation = navigation;
    navigation->addWidget(m_first);
    navigation->addWidget(m_previous);
    navigation->addStretch(1);
    navigation->addWidget(m_pageNumber);
    navigation->addWidget(m_pageLabel);
    navigation->addStretch(1);
    navigation->addWidget(m_next);
    navigation->addWidget(m_last);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_page, 1);
    layout->addLayout(navigation);

    connect(m_first, &QToolButton::clicked, this, [this] { showPage(0); });
    connect(m_previous, &QToolButton::clicked, this, [this] { showPage(m_current - 1); });
    connect(m_next, &QToolButton::clicked, this, [this] { showPage(m_current + 1); });
    connect(m_last, &QToolButton::clicked, this, [this] { showPage(pageCount() - 1); });
    connect(m_pageNumber, &QSpinBox::valueChanged, this, [this](int number) {
        if (m_paged)
            showPage(number - 1);
    });
    connect(&m_watcher, &QFutureWatcher<std::shared_ptr<PagedText>>::finished, this,
            &PagePreview::layoutDone);
    updateNavigation();
}

QSize PagePreview::sizeHint() const {
    // A line as the page's text layout makes it: rounded in ways the font's metrics are not,
    // which over 23 lines adds up.
    QTextLayout probe(QString(QChar(0x3042)), m_page->font());
    probe.beginLayout();
    QTextLine line = probe.createLine();
    line.setLeadingIncluded(true);
    probe.endLayout();
    const QFontMetricsF metrics(m_page->font());
    const qreal rows = engine::RowCountFor(0, 0);
    // A row is 40 half-width cells; a full-width character takes two.
    const qreal rowWidth =
        std::max(metrics.horizontalAdvance(QString(engine::kRowWidth, QLatin1Char(' '))),
                 metrics.horizontalAdvance(QString(engine::kRowWidth / 2, QChar(0x3042))));
    const int margins = 2 * (m_page->frameWidth() +
                             static_cast<int>(std::ceil(m_page->document()->documentMargin())));
    const QSize page(static_cast<int>(std::ceil(rowWidth)) + margins,
                     static_cast<int>(std::ceil(rows * line.height())) + margins);
    const QSize navigation = m_navigation->sizeHint();
    return {std::max(page.width(), navigation.width()),
            page.height() + layout()->spacing() + navigation.height()};
}

PagePreview::~PagePreview() {
    m_watcher.waitForFinished();
}

void PagePreview::show(const std::string& path, const engine::Settings& settings) {
    ++m_generation;
    m_paged.reset();
    m_page->clear();
    if (path.empty()) {
        updateNavigation();
        return;
    }
    m_pageLabel->setText(QStringLiteral("レイアウト中…"));
    // A layout still running for an entry shown before finishes on its own thread, unwatched,
    // and is dropped: the window never waits for it.
    m_watcher.setProperty("generation", m_generation);
    m_watcher.setFuture(QtConcurrent::run(PaginateSource, path, settings));
}

void PagePreview::waitForLayout() {
    m_watcher.waitForFinished();
    QCoreApplication::sendPostedEvents(&m_watcher);
    if (!m_paged && m_watcher.future().isFinished() &&
        m_watcher.property("generation").toInt() == m_generation)
        layoutDone();
}

void PagePreview::layoutDone() {
    if (m_watcher.property("generation").toInt() != m_generation || m_paged)
        return;
    m_paged = m_watcher.result();
    if (!m_paged->failure.isEmpty()) {
        m_page->setPlainText(QStringLiteral("読み込めませんでした：") + m_paged->failure);
        m_paged.reset();
        updateNavigation();
        return;
    }
    showPage(0);
}

void PagePreview::showPage(std::int64_t index) {
    if (!m_paged)
        return;
    m_current = std::clamp<std::int64_t>(index, 0, pageCount() - 1);
    m_page->setPlainText(PageLines(*m_paged, m_current).join(QLatin1Char('\n')));
    updateNavigation();
}

void PagePreview::updateNavigation() {
    const bool any = m_paged != nullptr;
    m_first->setEnabled(any && m_current > 0);
    m_previous->setEnabled(any && m_current > 0);
    m_next->setEnabled(any && m_current + 1 < pageCount());
    m_last->setEnabled(any && m_current + 1 < pageCount());
    m_pageNumber->setEnabled(any);
    m_pageNumber->setVisible(any);
    {
        // The page shown is not asked for again.
        const QSignalBlocker quiet(m_pageNumber);
        const int count = any ? static_cast<int>(std::min<std::int64_t>(pageCount(), INT_MAX)) : 1;
        m_pageNumber->setRange(1, count);
        m_pageNumber->setValue(any ? static_cast<int>(m_current + 1) : 1);
    }
    if (any)
        m_pageLabel->setText(QStringLiteral("/ %1 ページ").arg(pageCount()));
    else if (m_generation == 0 || m_watcher.isFinished())
        m_pageLabel->setText(QString());
}

bool PagePreview::turnPageByKey(const QKeyEvent& event) {
    if (!m_paged || (event.modifiers() & ~(Qt::ControlModifier | Qt::KeypadModifier)))
        return false;
    switch (event.key()) {
    case Qt::Key_PageDown:
        showPage(m_current + 1);
        return true;
    case Qt::Key_PageUp:
        showPage(m_current - 1);
        return true;
    case Qt::Key_Home:
        showPage(0);
        return true;
    case Qt::Key_End:
        showPage(pageCount() - 1);
        return true;
    default:
        return false;
    }
}

bool PagePreview::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_page && event->type() == QEvent::KeyPress &&
        turnPageByKey(*static_cast<QKeyEvent*>(event)))
        return true;
    return QWidget::eventFilter(watched, event);
}

void PagePreview::keyPressEvent(QKeyEvent* event) {
    // Keys the buttons leave alone come here.
    if (!turnPageByKey(*event))
        QWidget::keyPressEvent(event);
}

} // namespace shell
