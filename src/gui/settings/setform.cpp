#include "gui/settings/setform.h"

#include "core/common/error.h"
#include "core/common/io/paths.h"
#include "core/common/messages.h"
#include "core/library/libraryfile.h"
#include "core/settings/enginesettings.h"
#include "core/settings/pathsettings.h"
#include "gui/common/filedialogs.h"
#include "gui/common/forms.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QThread>
#include <QVBoxLayout>

#include <memory>

namespace tarvex {

namespace {

QPushButton *makeButton(const QString &name, const QString &caption, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

} // namespace

SetForm::SetForm(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("setForm"));
    setWindowTitle(QStringLiteral("系统设置"));
    auto *layout = new QVBoxLayout(this);
    // Made in the order Tab takes: each path followed by its own button,
    // then the engine, its connection string, 测试连接, 确定 and 关闭.
    const struct {
        const char *frame;
        const char *caption;
        QLineEdit *&text;
        const char *textName;
        const char *browseName;
    } rows[] = {{"Frame1", "报价数据库路径", m_text1, "Text1", "Command3"},
        {"Frame2", "图库数据库路径", m_text2, "Text2", "Command4"}};
    for (const auto &row : rows) {
        auto *frame = new QGroupBox(QString::fromUtf8(row.caption), this);
        frame->setObjectName(QLatin1String(row.frame));
        auto *line = new QHBoxLayout(frame);
        row.text = new QLineEdit(frame);
        row.text->setObjectName(QLatin1String(row.textName));
        row.text->setMinimumWidth(360);
        QPushButton *browseButton = makeButton(QLatin1String(row.browseName), QStringLiteral("..."), frame);
        browseButton->setFixedWidth(36);
        browseButton->setToolTip(QStringLiteral("选择文件夹"));
        line->addWidget(row.text, 1);
        line->addWidget(browseButton);
        layout->addWidget(frame);
        QLineEdit *text = row.text;
        connect(browseButton, &QPushButton::clicked, this, [this, text] { browse(text); });
        connect(text, &QLineEdit::returnPressed, this, &SetForm::save);
    }
    auto *server = new QGroupBox(QStringLiteral("数据库"), this);
    server->setObjectName(QStringLiteral("Frame3"));
    auto *serverLines = new QVBoxLayout(server);
    m_engine = new QComboBox(server);
    m_engine->setObjectName(QStringLiteral("Combo1"));
    for (Engine engine : {Engine::Sqlite, Engine::Server})
        m_engine->addItem(engineName(engine), engineKey(engine));
    serverLines->addWidget(m_engine);
    auto *conninfoLine = new QHBoxLayout;
    m_conninfo = new QLineEdit(server);
    m_conninfo->setObjectName(QStringLiteral("Text3"));
    m_conninfo->setPlaceholderText(QStringLiteral("host=… port=5432 dbname=… user=…"));
    m_test = makeButton(QStringLiteral("Command5"), QStringLiteral("测试连接"), server);
    conninfoLine->addWidget(m_conninfo, 1);
    conninfoLine->addWidget(m_test);
    serverLines->addLayout(conninfoLine);
    layout->addWidget(server);
    connect(m_engine, &QComboBox::currentIndexChanged, this, &SetForm::showEngine);
    connect(m_test, &QPushButton::clicked, this, &SetForm::testConnection);
    connect(m_conninfo, &QLineEdit::returnPressed, this, &SetForm::save);

    auto *buttons = new QHBoxLayout;
    QPushButton *ok = makeButton(QStringLiteral("Command1"), QStringLiteral("确定"), this);
    QPushButton *cancel = makeButton(QStringLiteral("Command2"), QStringLiteral("关闭"), this);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &SetForm::save);
    connect(cancel, &QPushButton::clicked, this, &SetForm::closeForm);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &SetForm::closeForm);

    const PathSettings settings = readPathSettings(iniPath());
    m_text1->setText(settings.dataFolder);
    m_text2->setText(settings.libraryFolder);
    const DatabaseSettings database = readDatabaseSettings(iniPath());
    m_engine->setCurrentIndex(m_engine->findData(engineKey(database.engine)));
    m_conninfo->setText(database.conninfo);
    showEngine();
}

Engine SetForm::typedEngine() const
{
    return m_engine->currentData().toString() == engineKey(Engine::Server) ? Engine::Server : Engine::Sqlite;
}

// A file needs no connection string: the field stays as written, unused.
void SetForm::showEngine()
{
    const bool server = typedEngine() == Engine::Server;
    m_conninfo->setEnabled(server);
    m_test->setEnabled(server && !m_attempt);
}

SetForm::~SetForm()
{
    // A server that does not answer holds the attempt until libpq gives up.
    if (m_attempt) {
        m_attempt->disconnect(this);
        m_attempt->wait();
        delete m_attempt;
    }
}

// The attempt runs on a thread of its own: a server that does not answer
// would otherwise freeze the dialog until libpq gives up.
void SetForm::testConnection()
{
    if (m_attempt)
        return;
    // A string that cannot be sent is said at once.
    const QString conninfo = m_conninfo->text();
    if (const QString problem = conninfoProblem(conninfo); !problem.isEmpty()) {
        messages().warning(QStringLiteral("连接失败: ") + problem);
        return;
    }
    struct Outcome {
        bool connected = false;
        QString text;
    };
    auto outcome = std::make_shared<Outcome>();
    m_attempt = QThread::create([conninfo, outcome] {
        try {
            outcome->text = testServerConnection(conninfo);
            outcome->connected = true;
        } catch (const Error &e) {
            outcome->text = QStringLiteral("连接失败: ") + e.message();
        }
    });
    connect(m_attempt, &QThread::finished, this, [this, outcome] {
        m_attempt->wait();
        delete m_attempt;
        m_attempt = nullptr;
        m_test->setText(QStringLiteral("测试连接"));
        showEngine();
        if (outcome->connected)
            messages().information(outcome->text);
        else
            messages().warning(outcome->text);
    });
    m_test->setEnabled(false);
    m_test->setText(QStringLiteral("正在连接…"));
    m_attempt->start();
}

void SetForm::browse(QLineEdit *target)
{
    const QString folder = BrowseFolder();
    if (!folder.isEmpty())
        target->setText(folder);
}

void SetForm::save()
{
    const PathSettings typed {m_text1->text(), m_text2->text()};
    const Engine engine = typedEngine();
    // A server that could never be reached is refused before anything is asked.
    if (const QString problem = engineChoiceProblem(engine, m_conninfo->text()); !problem.isEmpty()) {
        reportError(problem);
        return;
    }
    // Stored when the user insists: the folder may be one still to come.
    const QStringList problems = folderProblems(typed, engine);
    if (!problems.isEmpty()
        && !messages().warningQuestion(problems.join(QLatin1Char('\n')) + QStringLiteral("\n\n是否仍然保存?")))
        return;
    try {
        QString message = saveSettings(iniPath(), typed, engine, m_conninfo->text());
        // The boxes show what was stored.
        const PathSettings stored = readPathSettings(iniPath());
        m_text1->setText(stored.dataFolder);
        m_text2->setText(stored.libraryFolder);
        m_conninfo->setText(readDatabaseSettings(iniPath()).conninfo);
        const QString library = libraryToCreate(stored);
        if (!library.isEmpty()
            && messages().question(
                QStringLiteral("图库数据库路径 %1 中没有 %2, 是否在其中新建空的图库?")
                    .arg(QDir::toNativeSeparators(QFileInfo(library).absolutePath()), libraryFileName()))) {
            const LibraryConnection created(library, MissingLibrary::Create);
            message += QStringLiteral("\n已新建空的图库: ") + QDir::toNativeSeparators(library);
        }
        messages().information(message);
    } catch (const Error &e) {
        reportError(e.message());
    }
}

void SetForm::closeForm()
{
    tarvex::closeForm(this);
}

} // namespace tarvex
