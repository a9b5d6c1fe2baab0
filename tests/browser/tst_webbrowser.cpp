#include "portal/portalhost.h"
#include "support/scriptedserver.h"
#include "support/table.h"
#include "ui/browser/webbrowser.h"

#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>

using namespace zv::test;

namespace {

// Runs a script in the page and waits for its answer.
QVariant evaluate(TWebBrowser& wb, const QString& script)
{
    QVariant result;
    bool done = false;
    wb.page()->runJavaScript(script, [&](const QVariant& v) {
        result = v;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, 20000))
        return QStringLiteral("<timeout>");
    return result;
}

const QByteArray kPage = "<html><body style='border:3px solid red'>"
                         "<div style='width:3000px;height:3000px'>grand</div>"
                         "<a id='blank' href='/cible.html' target='_blank'>lien</a></body></html>";

} // namespace

class TstWebBrowser : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void urlFromText_data();
    void urlFromText();
    void documentCompleteStylesTheBody();
    void stylesBeforeADocument();
    void downloadCompleteEveryLoad();
    void newWindowFromLink();
    void newWindowFromScript();
    void floodOfWindows();
    void onlyWebAddressesAreOpened();
    void oddAddressesDoNotCrash_data();
    void oddAddressesDoNotCrash();
    void noLocalFiles();
    void pageOnFirstUse_data();
    void pageOnFirstUse();
    void pagesOfOneSiteShareARenderer();

private:
    ScriptedServer server_;
    QList<QUrl> opened_;
};

void TstWebBrowser::initTestCase()
{
    server_.on("/page.html", Reply::ok(kPage));
    server_.on("/cible.html", Reply::ok("<html><body>cible</body></html>"));
    server_.on("/popup.html",
        Reply::ok("<html><body><script>window.open('http://127.0.0.1:1/ailleurs.html');"
                  "</script></body></html>"));
    server_.on("/flood.html",
        Reply::ok("<html><body><script>for (var i = 0; i < 60; ++i)"
                  " window.open('/cible.html?n=' + i);</script></body></html>"));
    server_.on("/schemes.html",
        Reply::ok("<html><body><script>window.open('file:///etc/passwd');"
                  "window.open('javascript:alert(1)');</script></body></html>"));
    TWebBrowser::setUrlOpener([this](const QUrl& url) { opened_.append(url); });
}

// Each test sees only the pages its own browsers handed on.
void TstWebBrowser::init()
{
    opened_.clear();
}

void TstWebBrowser::urlFromText_data()
{
    zv::test::columns<QString, QString>("text", "url");
    zv::test::row(
        "portal request", "127.0.0.1:8631/exe/cont.php?c=pub", "http://127.0.0.1:8631/exe/cont.php?c=pub");
    zv::test::row("named host", "portail.exemple/exe/contact.php", "http://portail.exemple/exe/contact.php");
    zv::test::row("full url", "http://exemple.fr/a?b=c", "http://exemple.fr/a?b=c");
    zv::test::row("https", "https://exemple.fr/", "https://exemple.fr/");
    zv::test::row("blank", "about:blank", "about:blank");
    zv::test::row("empty", "", "about:blank");
    zv::test::row("address in the query", "127.0.0.1:8631/exe/r.php?u=http://x/y",
        "http://127.0.0.1:8631/exe/r.php?u=http://x/y");
    zv::test::row("path only", "/exe/contact.php", QString::fromLatin1(zv::portalUrl("/exe/contact.php")));
    // What server scripts answer: the address, then a line break or spaces.
    zv::test::row(
        "answer ending in CR LF", "http://exemple.fr/chat.php?s=1\r\n", "http://exemple.fr/chat.php?s=1");
    zv::test::row("blanks around a portal request", " \t127.0.0.1:8631/exe/cont.php?c=pub  \n\n",
        "http://127.0.0.1:8631/exe/cont.php?c=pub");
    zv::test::row("line break inside", "http://exemple.fr/a\r\n/b", "http://exemple.fr/a/b");
    zv::test::row("only blanks", " \r\n ", "about:blank");
}

void TstWebBrowser::urlFromText()
{
    QFETCH(QString, text);
    QFETCH(QString, url);
    QCOMPARE(TWebBrowser::urlFromText(text).toString(), url);
}

void TstWebBrowser::documentCompleteStylesTheBody()
{
    TWebBrowser wb;
    wb.resize(300, 200);
    QVERIFY(!wb.HasDocument());
    // What the main window's handler does.
    connect(&wb, &TWebBrowser::DocumentComplete, &wb, [&wb] {
        if (wb.HasDocument()) {
            wb.SetBodyStyle(QStringLiteral("borderstyle"), QStringLiteral("none"));
            wb.SetBodyStyle(QStringLiteral("overflow"), QStringLiteral("hidden"));
        }
    });
    QSignalSpy done(&wb, &TWebBrowser::DocumentComplete);
    wb.Navigate(QString::fromLatin1(server_.hostPort() + "/page.html")); // no scheme, as the portal paths
    QVERIFY(done.wait(30000));
    QVERIFY(wb.HasDocument());
    QCOMPARE(wb.url().toString(), server_.address("/page.html"));
    QTRY_COMPARE_WITH_TIMEOUT(
        evaluate(wb, "document.body.style.borderStyle").toString(), QStringLiteral("none"), 20000);
    QCOMPARE(evaluate(wb, "document.body.style.overflow").toString(), QStringLiteral("hidden"));
    QCOMPARE(
        evaluate(wb, "getComputedStyle(document.body).borderTopStyle").toString(), QStringLiteral("none"));

    // A value is data, never script.
    wb.SetBodyStyle(QStringLiteral("color"), QStringLiteral("red'; document.title='pris"));
    wb.SetBodyStyle(QStringLiteral("color;document.title='pris'"), QStringLiteral("red"));
    QTRY_COMPARE_WITH_TIMEOUT(evaluate(wb, "document.body.style.color").toString(), QString(), 20000);
    QVERIFY(evaluate(wb, "document.title").toString() != QStringLiteral("pris"));
}

void TstWebBrowser::stylesBeforeADocument()
{
    TWebBrowser wb;
    wb.SetBodyStyle(QStringLiteral("overflow"), QStringLiteral("hidden")); // nothing to style yet
    QVERIFY(!wb.HasDocument());
    QSignalSpy done(&wb, &TWebBrowser::DocumentComplete);
    wb.Navigate(QStringLiteral("about:blank"));
    QVERIFY(done.wait(30000));
    QVERIFY(wb.HasDocument());
}

void TstWebBrowser::downloadCompleteEveryLoad()
{
    TWebBrowser wb;
    QSignalSpy download(&wb, &TWebBrowser::DownloadComplete);
    wb.Navigate(server_.address("/cible.html"));
    QVERIFY(download.wait(30000));
    QCOMPARE(download.count(), 1);
    wb.Refresh();
    QVERIFY(download.wait(30000));
    QCOMPARE(download.count(), 2);
    // An unreachable page completes too (on the view's error page).
    QSignalSpy doc(&wb, &TWebBrowser::DocumentComplete);
    wb.Navigate(QStringLiteral("127.0.0.1:1/rien.html"));
    QVERIFY(doc.wait(30000));
}

void TstWebBrowser::newWindowFromLink()
{
    TWebBrowser wb;
    wb.resize(400, 300);
    wb.show();
    QSignalSpy done(&wb, &TWebBrowser::DocumentComplete);
    QSignalSpy newWindow(&wb, &TWebBrowser::NewWindow2);
    wb.Navigate(server_.address("/page.html"));
    QVERIFY(done.wait(30000));
    evaluate(wb, "document.getElementById('blank').click()");
    QVERIFY(newWindow.count() > 0 || newWindow.wait(20000));
    QCOMPARE(newWindow.count(), 1);
    QCOMPARE(newWindow.at(0).at(0).toUrl().toString(), server_.address("/cible.html"));
    QCOMPARE(opened_, QList<QUrl>{QUrl(server_.address("/cible.html"))});
    // The page itself stays where it was.
    QCOMPARE(wb.url().toString(), server_.address("/page.html"));
}

void TstWebBrowser::newWindowFromScript()
{
    TWebBrowser wb;
    QSignalSpy newWindow(&wb, &TWebBrowser::NewWindow2);
    wb.Navigate(server_.address("/popup.html"));
    QVERIFY(newWindow.wait(30000));
    QCOMPARE(newWindow.at(0).at(0).toUrl(), QUrl("http://127.0.0.1:1/ailleurs.html"));
    QCOMPARE(opened_.size(), 1);
}

void TstWebBrowser::floodOfWindows()
{
    TWebBrowser wb;
    QSignalSpy newWindow(&wb, &TWebBrowser::NewWindow2);
    QSignalSpy done(&wb, &TWebBrowser::DocumentComplete);
    wb.Navigate(server_.address("/flood.html"));
    QVERIFY(done.wait(30000));
    QTest::qWait(500);
    QVERIFY(newWindow.count() >= 1);
    QVERIFY(newWindow.count() <= TWebBrowser::PopupBurst);
    QVERIFY(opened_.size() <= TWebBrowser::PopupBurst);
    // The view is still alive and answers.
    QCOMPARE(evaluate(wb, "1 + 1").toInt(), 2);
}

void TstWebBrowser::onlyWebAddressesAreOpened()
{
    TWebBrowser wb;
    QSignalSpy done(&wb, &TWebBrowser::DocumentComplete);
    wb.Navigate(server_.address("/schemes.html"));
    QVERIFY(done.wait(30000));
    QTest::qWait(500);
    for (const QUrl& u : opened_)
        QVERIFY2(u.scheme() == u"http" || u.scheme() == u"https", qPrintable(u.toString()));
}

void TstWebBrowser::oddAddressesDoNotCrash_data()
{
    QTest::addColumn<QString>("text");
    zv::test::row("spaces and line break", "  http://127.0.0.1:1/page.html \r\n");
    zv::test::row("line break inside", "127.0.0.1:1/exe/\ncont.php");
    zv::test::row("only spaces", "   ");
    zv::test::row("control characters", QString::fromLatin1("\x01\x02://\x7f"));
    zv::test::row("bare scheme", "http://");
    zv::test::row("very long", QString(70000, u'a'));
}

void TstWebBrowser::oddAddressesDoNotCrash()
{
    QFETCH(QString, text);
    TWebBrowser wb;
    QSignalSpy done(&wb, &TWebBrowser::DocumentComplete);
    wb.Navigate(text);
    done.wait(8000); // an error page, or nothing at all
    wb.Navigate(QStringLiteral("about:blank"));
    QVERIFY(done.count() > 0 || done.wait(30000));
}

void TstWebBrowser::noLocalFiles()
{
    // A portal page may not read the user's files.
    server_.on("/lecture.html",
        Reply::ok("<html><body><iframe id='f' src='file:///etc/hostname'></iframe></body></html>"));
    TWebBrowser wb;
    QSignalSpy done(&wb, &TWebBrowser::DocumentComplete);
    wb.Navigate(server_.address("/lecture.html"));
    QVERIFY(done.wait(30000));
    const QString content = evaluate(wb,
        "(function(){try{var d=document.getElementById('f').contentDocument;"
        "return d ? d.body.innerText : 'bloque';}catch(e){return 'bloque';}})()")
                                .toString();
    QVERIFY2(content == QStringLiteral("bloque") || content.isEmpty(), qPrintable(content));
}

void TstWebBrowser::pageOnFirstUse_data()
{
    zv::test::columns<QString, bool>("use", "makesPage");
    zv::test::row("blank, hidden", "blank", false);
    zv::test::row("reload, hidden", "refresh", false);
    zv::test::row("styling, hidden", "style", false);
    zv::test::row("shown", "show", true);
    zv::test::row("a page", "page", true);
}

void TstWebBrowser::pageOnFirstUse()
{
    QFETCH(QString, use);
    QFETCH(bool, makesPage);
    TWebBrowser wb;
    QVERIFY(!wb.HasPage());
    QSignalSpy done(&wb, &TWebBrowser::DocumentComplete);
    if (use == u"blank")
        wb.Navigate(QStringLiteral("about:blank"));
    else if (use == u"refresh")
        wb.Refresh();
    else if (use == u"style")
        wb.SetBodyStyle(QStringLiteral("overflow"), QStringLiteral("hidden"));
    else if (use == u"show")
        wb.show();
    else
        wb.Navigate(server_.address("/cible.html"));
    QCOMPARE(wb.HasPage(), makesPage);
    if (use == u"blank") {
        // Reported as a load, like a real blank page.
        QVERIFY(done.wait(30000));
        QVERIFY(wb.HasDocument());
        QCOMPARE(wb.url(), QUrl(QStringLiteral("about:blank")));
        wb.SetBodyStyle(QStringLiteral("overflow"), QStringLiteral("hidden"));
        QVERIFY(!wb.HasPage());
        // The next real page loads as ever.
        wb.Navigate(server_.address("/cible.html"));
        QTRY_COMPARE_WITH_TIMEOUT(wb.url().toString(), server_.address("/cible.html"), 30000);
        QTRY_COMPARE_WITH_TIMEOUT(
            evaluate(wb, "document.body.innerText").toString(), QStringLiteral("cible"), 30000);
    }
}

void TstWebBrowser::pagesOfOneSiteShareARenderer()
{
    TWebBrowser a, b;
    QSignalSpy doneA(&a, &TWebBrowser::DocumentComplete);
    QSignalSpy doneB(&b, &TWebBrowser::DocumentComplete);
    a.Navigate(server_.address("/page.html"));
    b.Navigate(server_.address("/cible.html"));
    QVERIFY(doneA.count() > 0 || doneA.wait(30000));
    QVERIFY(doneB.count() > 0 || doneB.wait(30000));
    QVERIFY(a.page()->renderProcessPid() > 0);
    QCOMPARE(a.page()->renderProcessPid(), b.page()->renderProcessPid());
}

QTEST_MAIN(TstWebBrowser)
#include "tst_webbrowser.moc"
