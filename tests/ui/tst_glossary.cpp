#include "tests/ui/WorkingWindow.h"
#include "widgets/AccessibleNames.h"
#include "widgets/FieldLink.h"

#include <QAbstractButton>
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>

#include <algorithm>

// The glossary of the numbered controls (`DBEdit15`, `BitBtn6`, `Etiqueta1`...), whose names come
// from the written system and say nothing of what they do: docs/controls.md lists each with its
// caption, the field it shows and the panel it stands in. It is made from the window itself, so it
// cannot drift: this test fails when the file differs from the window, and rewrites it when
// KORVANIS_WRITE_GLOSSARY is set (`KORVANIS_WRITE_GLOSSARY=1 build/bin/tst_glossary`).
class TestGlossary : public QObject {
    Q_OBJECT

private:
    struct Entry {
        QString panel;
        QString name;
        QString kind;
        QString caption;
        QString field;
    };

    static QString withoutMnemonic(QString text)
    {
        text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
        return text.replace(QStringLiteral("&&"), QStringLiteral("&")).simplified();
    }

    static QString captionOf(QObject* object)
    {
        if (auto* action = qobject_cast<QAction*>(object))
            return withoutMnemonic(action->text());
        if (auto* button = qobject_cast<QAbstractButton*>(object); button && !button->text().isEmpty())
            return withoutMnemonic(button->text());
        if (auto* menu = qobject_cast<QMenu*>(object))
            return withoutMnemonic(menu->title());
        if (auto* label = qobject_cast<QLabel*>(object))
            return label->text().simplified();
        auto* widget = qobject_cast<QWidget*>(object);
        if (!widget)
            return {};
        const QString name = widget->accessibleName();
        return name.isEmpty() ? accessiblenames::derivedName(widget) : name;
    }

    static QString fieldOf(QObject* object)
    {
        for (const FieldLink* link : object->findChildren<FieldLink*>(Qt::FindDirectChildrenOnly))
            if (link->dataSource() && !link->field().isEmpty())
                return link->dataSource()->objectName().isEmpty()
                           ? link->field()
                           : link->dataSource()->objectName() + QLatin1Char('.') + link->field();
        return {};
    }

    // The panel a control stands in: its nearest named frame or menu; the menu bar for a menu entry.
    static QString panelOf(QObject* object)
    {
        if (qobject_cast<QMenu*>(object))
            return QStringLiteral("barra de menus");
        if (auto* action = qobject_cast<QAction*>(object)) {
            const auto widgets = action->associatedObjects();
            for (QObject* holder : widgets)
                if (auto* menu = qobject_cast<QMenu*>(holder); menu && !menu->title().isEmpty())
                    return QStringLiteral("menu ") + withoutMnemonic(menu->title());
            return QStringLiteral("barra de menus");
        }
        static const QRegularExpression panelName(QStringLiteral("^(Painel|Tabela)"));
        for (QObject* parent = object->parent(); parent; parent = parent->parent())
            if (panelName.match(parent->objectName()).hasMatch())
                return parent->objectName();
        return QStringLiteral("janela");
    }

    static QList<Entry> numberedControls(QObject* window)
    {
        static const QRegularExpression numbered(QStringLiteral("^[A-Za-z_]+[0-9]+$"));
        QList<Entry> entries;
        for (QObject* object : window->findChildren<QObject*>()) {
            if (!numbered.match(object->objectName()).hasMatch())
                continue;
            if (!qobject_cast<QWidget*>(object) && !qobject_cast<QAction*>(object))
                continue;
            entries.append({panelOf(object), object->objectName(),
                            QString::fromLatin1(object->metaObject()->className()), captionOf(object),
                            fieldOf(object)});
        }
        std::sort(entries.begin(), entries.end(),
                  [](const Entry& a, const Entry& b) { return std::tie(a.panel, a.name) < std::tie(b.panel, b.name); });
        entries.erase(
            std::unique(entries.begin(), entries.end(),
                        [](const Entry& a, const Entry& b) { return a.name == b.name && a.panel == b.panel; }),
            entries.end());
        return entries;
    }

    static QString glossary(const QList<Entry>& entries)
    {
        QString text = QStringLiteral(
            "# The numbered controls\n\n"
            "The controls keep the names of the written system, and many of those are numbers (`DBEdit15`,\n"
            "`BitBtn6`). This table, made from the window by `tests/ui/tst_glossary.cpp`, says what each is.\n"
            "Regenerate it with `KORVANIS_WRITE_GLOSSARY=1 build/bin/tst_glossary`.\n\n"
            "| Control | Class | Caption or name | Field | Panel |\n|---|---|---|---|---|\n");
        for (const Entry& entry : entries) {
            QString caption = entry.caption;
            caption.replace(QLatin1Char('|'), QStringLiteral("\\|"));
            text += QStringLiteral("| `%1` | `%2` | %3 | %4 | `%5` |\n")
                        .arg(entry.name, entry.kind, caption,
                             entry.field.isEmpty() ? QString() : u'`' + entry.field + u'`', entry.panel);
        }
        return text;
    }

private slots:
    void theGlossaryDescribesTheWindow()
    {
        WorkingWindow window;
        QVERIFY(window.startWork());
        const QString made = glossary(numberedControls(window.form.get()));
        QFile file(QStringLiteral(KORVANIS_SOURCE_DIR "/docs/controls.md"));
        if (qEnvironmentVariableIsSet("KORVANIS_WRITE_GLOSSARY")) {
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(made.toUtf8());
            return;
        }
        QVERIFY2(file.open(QIODevice::ReadOnly), "docs/controls.md não existe");
        const QString stored = QString::fromUtf8(file.readAll());
        QVERIFY2(stored == made, "docs/controls.md difere da janela: KORVANIS_WRITE_GLOSSARY=1 build/bin/tst_glossary");
    }
};

QTEST_MAIN(TestGlossary)
#include "tst_glossary.moc"
