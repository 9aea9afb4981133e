#pragma once

#include "engine/column_layout.h"
#include "engine/prepared_text.h"
#include "engine/settings.h"

#include <QFutureWatcher>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

class QHBoxLayout;
class QKeyEvent;
class QLabel;
class QPlainTextEdit;
class QSpinBox;
class QToolButton;

namespace shell {

// A source laid out as the converter would: its normalised text and where each page starts.
// A page's rows are made when it is shown, never written anywhere.
struct PagedText {
    engine::PreparedText prepared;
    int spaceline = 1;
    std::vector<engine::LayoutState> pageStarts; // the first is the text's start
    QString failure;                             // when the source could not be read
};

// Reads and prepares the source at `path` (file-system bytes) with `settings` as the conversion
// does, and finds where every page starts; run on a worker thread. A recognised title and author
// get their title page, as if the user confirmed them: the preview cannot ask.
std::shared_ptr<PagedText> PaginateSource(const std::string& path,
                                          const engine::Settings& settings);

// The 40-byte rows of page `index` (0-based) as text, one line each, the page's blank first line
// left out. Extends `paged.pageStarts` as far as it needs when they are not all known.
QStringList PageLines(PagedText& paged, std::int64_t index);

// The converted pages of the selected entry as the viewer will show them, with page navigation:
// the buttons, PageUp/PageDown/Home/End, and the page number field to jump to a page.
class PagePreview final : public QWidget {
    Q_OBJECT
  public:
    explicit PagePreview(QWidget* parent = nullptr);
    ~PagePreview() override;

    // Lays out `path` anew (empty: nothing to show) with the settings given.
    void show(const std::string& path, const engine::Settings& settings);
    std::int64_t currentPage() const { return m_current; }
    std::int64_t pageCount() const { return m_paged ? m_paged->prepared.pageCount : 0; }
    // Room for the tallest page (the default settings' rows) with no scrolling, and the buttons.
    QSize sizeHint() const override;
    // Finishes the layout in hand at once (for tests).
    void waitForLayout();

  public slots:
    void showPage(std::int64_t index);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void layoutDone();
    void updateNavigation();
    bool turnPageByKey(const QKeyEvent& event); // false for a key that turns no page

    QPlainTextEdit* m_page;
    QSpinBox* m_pageNumber;
    QLabel* m_pageLabel;
    QToolButton* m_first;
    QToolButton* m_previous;
    QToolButton* m_next;
    QToolButton* m_last;
    QHBoxLayout* m_navigation = nullptr;
    QFutureWatcher<std::shared_ptr<PagedText>> m_watcher;
    std::shared_ptr<PagedText> m_paged;
    std::int64_t m_current = 0;
    int m_generation = 0;
};

} // namespace shell
