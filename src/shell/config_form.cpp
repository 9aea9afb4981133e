#include "shell/config_form.h"

#include "settings/page_size_estimate.h"
#include "settings/settings_store.h"
#include "shell/conversion_texts.h"
#include "shell/dialog_service.h"
#include "shell/fonts.h"
#include "shell/text_codec.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QToolButton>

#include <algorithm>
#include <optional>
#include <utility>

namespace shell {
namespace {

constexpr int kDivideMinimum = engine::kDivisionSizeRange.low;
constexpr int kDivideMaximum = engine::kDivisionSizeRange.high;
constexpr int kDivideIncrement = 30;
// What an over-large count is replaced by; not the maximum.
const QString kOverLimitReplacement = QStringLiteral("1900");

QGroupBox* radioGroup(QWidget* parent, const char* name, const QString& title,
                      const QStringList& items, QButtonGroup*& group) {
    auto* box = new QGroupBox(title, parent);
    box->setObjectName(QString::fromLatin1(name));
    auto* layout = new QGridLayout(box);
    layout->setContentsMargins(6, 0, 4, 2);
    layout->setHorizontalSpacing(2);
    group = new QButtonGroup(box);
    group->setObjectName(QString::fromLatin1(name) + QStringLiteral("Items"));
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], box);
        button->setObjectName(QString::fromLatin1(name) + QString::number(i));
        group->addButton(button, i);
        layout->addWidget(button, 0, i);
        layout->setColumnStretch(i, 1);
    }
    return box;
}

// The count field's text as a signed decimal integer: an optional sign and one or more ASCII
// digits, nothing around them, within the range of int. Anything else is not a number.
std::optional<int> signedDecimal(const QString& text) {
    qsizetype digitsFrom = 0;
    if (!text.isEmpty() && (text.front() == QLatin1Char('-') || text.front() == QLatin1Char('+')))
        digitsFrom = 1;
    if (digitsFrom == text.size())
        return std::nullopt;
    for (qsizetype i = digitsFrom; i < text.size(); ++i) {
        if (text[i] < QLatin1Char('0') || text[i] > QLatin1Char('9'))
            return std::nullopt;
    }
    bool inRange = false;
    const int value = text.toInt(&inRange, 10);
    return inRange ? std::optional<int>(value) : std::nullopt;
}

// Selects item `index` of an exclusive group, or none for -1. Returns whether the choice changed.
bool setChoice(QButtonGroup* group, int index) {
    if (group->checkedId() == index)
        return false;
    if (index < 0) {
        group->setExclusive(false);
        group->checkedButton()->setChecked(false);
        group->setExclusive(true);
    } else {
        group->button(index)->setChecked(true);
    }
    return true;
}

QPushButton* pushButton(QWidget* parent, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    // Only the apply button answers Enter (it is the default), not the one that has the focus.
    button->setAutoDefault(false);
    return button;
}

QCheckBox* checkBox(QWidget* parent, const char* name, const QString& caption) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

} // namespace

UpDown::UpDown(QLineEdit* buddy, int minimum, int maximum, int increment, QWidget* parent)
    : QWidget(parent), m_buddy(buddy), m_up(new QToolButton(this)), m_down(new QToolButton(this)),
      m_minimum(minimum), m_maximum(maximum), m_increment(increment), m_position(minimum) {
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QToolButton* button : {m_up, m_down}) {
        button->setArrowType(button == m_up ? Qt::UpArrow : Qt::DownArrow);
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        button->setIconSize(QSize(6, 6));
    }
    m_up->setObjectName(QStringLiteral("upButton"));
    m_down->setObjectName(QStringLiteral("downButton"));
    layout->addWidget(m_up, 0, 0);
    layout->addWidget(m_down, 1, 0);
    setFocusPolicy(Qt::TabFocus);
    connect(m_up, &QToolButton::clicked, this, [this] { stepBy(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { stepBy(-1); });
    // The arrow keys in the field step the count like the arrows.
    m_buddy->installEventFilter(this);
}

void UpDown::setPosition(int position) {
    m_position = std::clamp(position, m_minimum, m_maximum);
}

void UpDown::stepBy(int steps) {
    setPosition(m_position + steps * m_increment);
    m_buddy->setText(QString::number(m_position));
}

void UpDown::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
        stepBy(event->key() == Qt::Key_Up ? 1 : -1);
        return;
    }
    QWidget::keyPressEvent(event);
}

bool UpDown::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_buddy && event->type() == QEvent::KeyPress && isEnabled()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            stepBy(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

TConfigForm::TConfigForm(DialogService& dialogs, std::string settingsPath, QWidget* parent)
    : QDialog(parent), m_dialogs(dialogs), m_settingsPath(std::move(settingsPath)) {
    setObjectName(QStringLiteral("ConfigForm"));
    setWindowTitle(QStringLiteral("設定"));
    setFont(ProportionalGothic());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    buildControls();
    connectControls();
    loadSettings();
}

void TConfigForm::buildControls() {
    m_btnExit = pushButton(this, "btnExit", QStringLiteral("変更して戻る"));
    m_btnExit->setDefault(true);

    m_rgLineSpace =
        radioGroup(this, "rgLineSpace", QStringLiteral("行間幅"),
                   {QStringLiteral("なし"), QStringLiteral("２ドット"), QStringLiteral("４ドット"),
                    QStringLiteral("６ドット"), QStringLiteral("新聞モード")},
                   m_lineSpace);
    m_rgCharSize = radioGroup(this, "rgCharSize", QStringLiteral("文字の大きさ"),
                              {QStringLiteral("通常文字"), QStringLiteral("縦倍文字")}, m_charSize);
    m_rgSpaceLine = radioGroup(
        this, "rgSpaceLine", QStringLiteral("一行おきの空行"),
        {QStringLiteral("2バイト"), QStringLiteral("1バイト"), QStringLiteral("いれない")},
        m_spaceLine);
    m_lineSpace->button(0)->setChecked(true);
    m_charSize->button(0)->setChecked(true);
    m_spaceLine->button(1)->setChecked(true);

    m_label1 = new QLabel(QStringLiteral("保存先フォルダ："), this);
    m_label1->setObjectName(QStringLiteral("Label1"));

    m_editSavePath = new QLineEdit(this);
    m_editSavePath->setObjectName(QStringLiteral("editSavePath"));
    m_editSavePath->setToolTip(
        QStringLiteral("整形したファイルを保存するフォルダを設定してください"));
    m_btnFolderRef = pushButton(this, "btnFolderRef", QStringLiteral("参照"));
    m_btnClear = pushButton(this, "btnClear", QStringLiteral("クリア"));
    m_chkSaveWithoutAsking = checkBox(this, "chkSaveWithoutAsking",
                                      QStringLiteral("保存先フォルダに確認せずに保存する"));
    m_chkSaveWithoutAsking->setToolTip(QStringLiteral(
        "選んだファイルをすべて、保存ダイアログを出さずに保存先フォルダへ保存します"));

    m_chkUseReturnCode = checkBox(this, "chkUseReturnCode",
                                  QStringLiteral("改行文字を「改行」として認識する（詩など）"));
    m_chkUseHeader =
        checkBox(this, "chkUseHeader", QStringLiteral("タイトルと著者を認識する（青空文庫など）"));
    m_chkUseHeaderToFile = checkBox(this, "chkUseHeaderToFile", QStringLiteral("ファイル名に使用"));
    m_chkUseDivision =
        checkBox(this, "chkUseDivision", QStringLiteral("ファイルを分割して保存する"));

    m_editDivideBy = new QLineEdit(QStringLiteral("1"), this);
    m_editDivideBy->setObjectName(QStringLiteral("editDivideBy"));
    // A count: no input method, digits only on keyboards that offer a choice.
    m_editDivideBy->setAttribute(Qt::WA_InputMethodEnabled, false);
    m_editDivideBy->setInputMethodHints(Qt::ImhDigitsOnly);
    m_udDivide = new UpDown(m_editDivideBy, kDivideMinimum, kDivideMaximum, kDivideIncrement, this);
    m_udDivide->setObjectName(QStringLiteral("udDivide"));

    m_lblKB = new QLabel(QStringLiteral("ページごと（約xxKB）"), this);
    m_lblKB->setObjectName(QStringLiteral("lblKB"));

    // How sources are read: their encoding, and Aozora Bunko's notation.
    m_lblEncoding = new QLabel(QStringLiteral("文字コード："), this);
    m_lblEncoding->setObjectName(QStringLiteral("lblEncoding"));
    m_cmbEncoding = new QComboBox(this);
    m_cmbEncoding->setObjectName(QStringLiteral("cmbEncoding"));
    for (const engine::EncodingChoice& choice : engine::kEncodingChoices)
        m_cmbEncoding->addItem(EncodingLabel(choice.encoding), static_cast<int>(choice.encoding));
    m_lblEncoding->setBuddy(m_cmbEncoding);
    m_chkAozora = checkBox(this, "chkAozora", QStringLiteral("青空文庫の注記を取り除く"));
    m_chkRubyParen = checkBox(this, "chkRubyParen", QStringLiteral("ルビを（）で残す"));
    // How columns break: marks that may not open a column, and numbers set upright.
    m_chkKinsoku = checkBox(this, "chkKinsoku", QStringLiteral("禁則処理"));
    m_chkTcyDigits = checkBox(this, "chkTcyDigits", QStringLiteral("2桁の数字を縦中横にする"));

    layOutControls();

    QWidget* order[] = {
        m_btnExit,      m_rgLineSpace,        m_rgCharSize,     m_rgSpaceLine,
        m_editSavePath, m_btnFolderRef,       m_btnClear,       m_chkSaveWithoutAsking,
        m_chkUseHeader, m_chkUseReturnCode,   m_chkUseDivision, m_editDivideBy,
        m_udDivide,     m_chkUseHeaderToFile, m_cmbEncoding,    m_chkAozora,
        m_chkRubyParen, m_chkKinsoku,         m_chkTcyDigits};
    QWidget* previous = nullptr;
    for (QWidget* widget : order) {
        // A group takes the focus through its buttons.
        QList<QWidget*> chain{widget};
        if (auto* box = qobject_cast<QGroupBox*>(widget)) {
            chain.clear();
            for (QRadioButton* button : box->findChildren<QRadioButton*>())
                chain << button;
        }
        for (QWidget* link : chain) {
            if (previous)
                setTabOrder(previous, link);
            previous = link;
        }
    }
    for (QButtonGroup* group : {m_lineSpace, m_charSize, m_spaceLine}) {
        for (QAbstractButton* button : group->buttons())
            button->installEventFilter(this);
    }
    m_btnExit->setFocus();
}

void TConfigForm::layOutControls() {
    // Positions and sizes as drawn for a 12-pixel "ＭＳ Ｐゴシック", whose kana are narrower than
    // those of most Japanese fonts. With another font the whole dialog is widened by the factor
    // the tightest caption needs, so no text is cut and the arrangement stays as drawn.
    struct Placement {
        QWidget* widget;
        QRect drawn;
        bool textMustFit; // line edits and arrows take whatever room they get
    };
    const Placement placements[] = {
        {m_btnExit, {120, 292, 161, 25}, true},
        {m_rgLineSpace, {8, 8, 385, 41}, true},
        {m_rgCharSize, {232, 56, 161, 41}, true},
        {m_rgSpaceLine, {8, 56, 217, 41}, true},
        {m_label1, {8, 108, 88, 14}, true}, // as wide as the room before the folder field
        {m_editSavePath, {96, 104, 297, 20}, false},
        {m_btnFolderRef, {288, 124, 49, 25}, true},
        {m_btnClear, {344, 124, 49, 25}, true},
        {m_chkSaveWithoutAsking, {8, 127, 273, 17}, true},
        {m_chkUseReturnCode, {8, 144, 241, 17}, true},
        {m_chkUseHeader, {8, 168, 233, 17}, true},
        {m_chkUseHeaderToFile, {240, 168, 113, 17}, true},
        {m_chkUseDivision, {8, 192, 169, 17}, true},
        {m_editDivideBy, {176, 192, 41, 20}, false},
        {m_udDivide, {217, 192, 16, 20}, false},
        {m_lblKB, {240, 200, 153, 14}, false}, // sized to its text on every update
        {m_lblEncoding, {8, 222, 88, 14}, true},
        {m_cmbEncoding, {96, 218, 113, 20}, false},
        {m_chkAozora, {8, 244, 225, 17}, true},
        {m_chkRubyParen, {240, 244, 153, 17}, true},
        {m_chkKinsoku, {8, 266, 225, 17}, true},
        {m_chkTcyDigits, {240, 266, 153, 17}, true},
    };
    double scale = 1.0;
    for (const Placement& placement : placements) {
        if (!placement.textMustFit)
            continue;
        int needed = placement.widget->sizeHint().width();
        if (qobject_cast<QGroupBox*>(placement.widget)) {
            needed = placement.widget->minimumSizeHint().width();
        } else if (auto* button = qobject_cast<QPushButton*>(placement.widget)) {
            // A push button's size hint asks for a style's minimum width, not for its caption.
            needed = button->fontMetrics().horizontalAdvance(button->text()) + 12;
        }
        scale = std::max(scale, double(needed) / placement.drawn.width());
    }
    for (const Placement& placement : placements) {
        const QRect& r = placement.drawn;
        const int left = qRound(r.x() * scale);
        placement.widget->setGeometry(left, r.y(), qRound(r.right() * scale) - left + 1,
                                      r.height());
    }
    m_lblKB->adjustSize();
    // The client area of a 410 by 315 window with a caption and thin borders.
    setFixedSize(qRound(402 * scale), 324);
}

void TConfigForm::connectControls() {
    connect(m_lineSpace, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked)
            onLineSpaceChosen();
    });
    connect(m_charSize, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked)
            onCharSizeChosen();
    });
    connect(m_spaceLine, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked)
            onSpaceLineChosen();
    });
    connect(m_chkUseReturnCode, &QCheckBox::toggled, this, [this](bool on) {
        m_settings.usereturn = on;
        emit settingsChanged();
    });
    connect(m_chkUseHeader, &QCheckBox::toggled, this, [this](bool on) {
        m_settings.useheader = on;
        emit settingsChanged();
        chkUseHeaderClick();
    });
    connect(m_cmbEncoding, &QComboBox::currentIndexChanged, this, [this] {
        m_settings.encoding = static_cast<engine::Encoding>(m_cmbEncoding->currentData().toInt());
        emit settingsChanged();
    });
    connect(m_chkAozora, &QCheckBox::toggled, this, [this](bool on) {
        m_settings.aozora = on;
        emit settingsChanged();
        m_chkRubyParen->setEnabled(on);
    });
    connect(m_chkRubyParen, &QCheckBox::toggled, this, [this](bool on) {
        m_settings.rubyInParentheses = on;
        emit settingsChanged();
    });
    connect(m_chkKinsoku, &QCheckBox::toggled, this, [this](bool on) {
        m_settings.kinsoku = on;
        emit settingsChanged();
    });
    connect(m_chkTcyDigits, &QCheckBox::toggled, this, [this](bool on) {
        m_settings.tcyDigits = on;
        emit settingsChanged();
    });
    connect(m_chkSaveWithoutAsking, &QCheckBox::toggled, this, [this](bool on) {
        m_settings.saveWithoutAsking = on;
        emit settingsChanged();
    });
    connect(m_chkUseHeaderToFile, &QCheckBox::toggled, this, [this](bool on) {
        m_settings.useheadertofile = on;
        emit settingsChanged();
    });
    connect(m_chkUseDivision, &QCheckBox::toggled, this, [this](bool on) {
        m_settings.usedivision = on;
        emit settingsChanged();
        chkUseDivisionClick();
    });
    connect(m_editDivideBy, &QLineEdit::textChanged, this, &TConfigForm::editDivideByChange);
    connect(m_editSavePath, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_settings.savepath = PathToBytes(text);
        emit settingsChanged();
    });
    connect(m_btnFolderRef, &QPushButton::clicked, this, &TConfigForm::btnFolderRefClick);
    connect(m_btnClear, &QPushButton::clicked, this, &TConfigForm::btnClearClick);
    connect(m_btnExit, &QPushButton::clicked, this, &TConfigForm::btnExitClick);
}

void TConfigForm::loadSettings() {
    const settings::SettingsFileLoad load = settings::LoadSettings(m_settingsPath);
    if (load.outcome == settings::SettingsFileLoad::Outcome::Unreadable) {
        m_dialogs.showError(this, SettingsFailureText(SettingsAccess::Read, m_settingsPath,
                                                      load.reason, load.code));
    }
    const engine::Settings& stored = load.settings;

    // In the order of the file. A value that differs from the control's runs the control's
    // handler, so a stored newspaper mode greys the size group before the size is loaded.
    if (setChoice(m_lineSpace, stored.gyokan) && stored.gyokan < 0)
        onLineSpaceChosen();
    if (setChoice(m_charSize, stored.charsize) && stored.charsize < 0)
        onCharSizeChosen();
    if (setChoice(m_spaceLine, stored.spaceline) && stored.spaceline < 0)
        onSpaceLineChosen();
    m_chkUseReturnCode->setChecked(stored.usereturn);
    m_chkUseHeader->setChecked(stored.useheader);
    chkUseHeaderClick();
    m_chkUseHeaderToFile->setChecked(stored.useheadertofile);
    m_chkUseDivision->setChecked(stored.usedivision);
    m_editDivideBy->setText(QString::number(stored.divisionsize));
    chkUseDivisionClick();
    UpdatePageSizeLabel();
    m_editSavePath->setText(PathFromBytes(stored.savepath));
    m_cmbEncoding->setCurrentIndex(
        std::max(0, m_cmbEncoding->findData(static_cast<int>(stored.encoding))));
    m_settings.encoding = stored.encoding;
    m_chkAozora->setChecked(stored.aozora);
    m_chkRubyParen->setChecked(stored.rubyInParentheses);
    m_chkRubyParen->setEnabled(stored.aozora);
    m_chkKinsoku->setChecked(stored.kinsoku);
    m_chkTcyDigits->setChecked(stored.tcyDigits);
    m_chkSaveWithoutAsking->setChecked(stored.saveWithoutAsking);
    // The text may not have changed (an empty folder), so take the stored bytes as they are.
    m_settings.savepath = stored.savepath;
}

void TConfigForm::onLineSpaceChosen() {
    m_settings.gyokan = m_lineSpace->checkedId();
    emit settingsChanged();
    rgLineSpaceClick();
}

void TConfigForm::onCharSizeChosen() {
    m_settings.charsize = m_charSize->checkedId();
    emit settingsChanged();
    rgCharSizeClick();
}

void TConfigForm::onSpaceLineChosen() {
    m_settings.spaceline = m_spaceLine->checkedId();
    emit settingsChanged();
}

void TConfigForm::rgLineSpaceClick() {
    // Newspaper mode has a single character size.
    if (m_lineSpace->checkedId() == 4) {
        setChoice(m_charSize, 0);
        m_rgCharSize->setEnabled(false);
    } else {
        m_rgCharSize->setEnabled(true);
    }
    UpdatePageSizeLabel();
}

void TConfigForm::rgCharSizeClick() {
    UpdatePageSizeLabel();
}

void TConfigForm::chkUseHeaderClick() {
    m_chkUseHeaderToFile->setEnabled(m_chkUseHeader->isChecked());
}

void TConfigForm::chkUseDivisionClick() {
    const bool on = m_chkUseDivision->isChecked();
    m_editDivideBy->setEnabled(on);
    m_udDivide->setEnabled(on);
}

void TConfigForm::editDivideByChange() {
    const QString text = m_editDivideBy->text();
    if (text.isEmpty()) {
        // Runs this handler again, nested, which accepts the "1".
        m_editDivideBy->setText(QStringLiteral("1"));
        UpdatePageSizeLabel();
        return;
    }
    const std::optional<int> number = signedDecimal(text);
    if (!number) {
        // The field keeps the text and the count its last accepted value.
        m_dialogs.showError(this, QStringLiteral("'%1' は整数ではありません").arg(text));
        return;
    }
    const QString rangeMessage = QStringLiteral("入力できる値は1～%1までです").arg(kDivideMaximum);
    const int count = *number;
    if (count > m_udDivide->maximum()) {
        m_dialogs.showMessage(this, rangeMessage);
        m_editDivideBy->setText(kOverLimitReplacement);
    } else if (count < m_udDivide->minimum()) {
        m_dialogs.showMessage(this, rangeMessage);
        m_editDivideBy->setText(QStringLiteral("1"));
    } else {
        m_udDivide->setPosition(count);
        m_settings.divisionsize = m_udDivide->position();
        emit settingsChanged();
    }
    UpdatePageSizeLabel();
}

void TConfigForm::btnFolderRefClick() {
    const QString folder =
        m_dialogs.getExistingDirectory(this, QStringLiteral("保存先フォルダを選択してください"));
    if (!folder.isEmpty())
        m_editSavePath->setText(folder);
}

void TConfigForm::chooseSavePath(const QString& folder) {
    m_editSavePath->setText(folder);
    const settings::WriteStatus status =
        settings::SaveSavePath(m_settings.savepath, m_settingsPath);
    if (!status.ok) {
        m_dialogs.showError(
            parentWidget(),
            SettingsFailureText(SettingsAccess::Write, m_settingsPath, status.reason, status.code));
    }
}

void TConfigForm::btnClearClick() {
    m_editSavePath->clear();
}

void TConfigForm::btnExitClick() {
    const settings::WriteStatus status = settings::SaveSettings(m_settings, m_settingsPath);
    if (!status.ok) {
        // The edits stay in force for this run of the program; only the file is behind.
        m_dialogs.showError(this, SettingsFailureText(SettingsAccess::Write, m_settingsPath,
                                                      status.reason, status.code));
    }
    accept();
}

void TConfigForm::UpdatePageSizeLabel() {
    const auto kilobytes = settings::PageSizeEstimateKb(
        m_lineSpace->checkedId(), m_charSize->checkedId(), m_udDivide->position());
    if (!kilobytes)
        return;
    // A one-byte space and parentheses.
    m_lblKB->setText(QStringLiteral("ページごと (%1KB)").arg(*kilobytes));
    m_lblKB->adjustSize();
}

void TConfigForm::keyPressEvent(QKeyEvent* event) {
    // There is no cancel button: the dialog is left by the apply button or the close box, so
    // Escape does not close it.
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TConfigForm::eventFilter(QObject* watched, QEvent* event) {
    // The keyboard enters a radio group at its chosen item.
    if (event->type() == QEvent::FocusIn) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        auto* button = qobject_cast<QRadioButton*>(watched);
        if (button && !button->isChecked() &&
            (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason) && button->group()) {
            if (QAbstractButton* chosen = button->group()->checkedButton()) {
                chosen->setFocus(reason);
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TConfigForm::showEvent(QShowEvent* event) {
    if (!m_placed) {
        // Centred on the screen the first time; later where the user left it.
        m_placed = true;
        if (const QScreen* screen = parentWidget() ? parentWidget()->screen() : this->screen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    QDialog::showEvent(event);
}

} // namespace shell
