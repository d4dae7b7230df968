#include "instance/instanceclaim.h"
#include "instance/instanceservice.h"

#include "support/privatebus.h"

#include <QDBusConnectionInterface>
#include <QDBusMetaType>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using Files = QList<QByteArray>;

const QString service = Instance::serviceName(QStringLiteral("offscreen"), {});

QDBusMessage request(const char* method, const QVariantList& arguments = {})
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, QLatin1String(Instance::objectPath),
                                                          QLatin1String(Instance::interfaceName),
                                                          QLatin1String(method));
    message.setArguments(arguments);
    return message;
}

class InstanceServiceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_bus.isRunning()) << "dbus-daemon did not start";
        m_own = m_bus.connect();
        m_caller = m_bus.connect();
        ASSERT_TRUE(m_own.isConnected() && m_caller.isConnected());
        m_claim = claimInstance(m_own, service, {}, &m_parent);
        ASSERT_EQ(m_claim.role, InstanceClaim::Role::Primary) << m_claim.note.toStdString();
    }
    void TearDown() override { releaseInstance(m_own, service, m_claim.service); }

    PrivateBus m_bus;
    QDBusConnection m_own{QString()};
    QDBusConnection m_caller{QString()};
    QObject m_parent;
    InstanceClaim m_claim;
};

}

TEST(InstanceName, OnePerPlatformAndDisplay)
{
    EXPECT_EQ(Instance::serviceName(QStringLiteral("xcb"), ":0"), QStringLiteral("io.github.orvik.scrivo.xcb__3a0"));
    EXPECT_EQ(Instance::serviceName(QStringLiteral("wayland"), "wayland-1"),
              QStringLiteral("io.github.orvik.scrivo.wayland_wayland_2d1"));
    EXPECT_EQ(Instance::serviceName(QStringLiteral("offscreen"), {}), QStringLiteral("io.github.orvik.scrivo.offscreen_"));
    EXPECT_NE(Instance::serviceName(QStringLiteral("xcb"), ":1"), Instance::serviceName(QStringLiteral("xcb"), ":0"));

    qputenv("DISPLAY", ":1.0");
    EXPECT_EQ(Instance::currentDisplay(QStringLiteral("xcb")), QByteArray(":1"));
    qputenv("DISPLAY", "host.example:10.2");
    EXPECT_EQ(Instance::currentDisplay(QStringLiteral("xcb")), QByteArray("host.example:10"));
    qunsetenv("DISPLAY");
}

TEST_F(InstanceServiceTest, OffersExactlyOpeningFilesAndRaising)
{
    QDBusMessage introspect = QDBusMessage::createMethodCall(service, QLatin1String(Instance::objectPath),
                                                             QStringLiteral("org.freedesktop.DBus.Introspectable"),
                                                             QStringLiteral("Introspect"));
    const QString all = PrivateBus::call(m_caller, introspect).arguments().value(0).toString();
    const qsizetype start = all.indexOf(QStringLiteral("<interface name=\"io.github.orvik.scrivo.Instance\">"));
    ASSERT_GE(start, 0) << all.toStdString();
    const QString xml = all.mid(start, all.indexOf(QStringLiteral("</interface>"), start) - start);
    EXPECT_EQ(xml.count(QStringLiteral("<method ")), 2) << xml.toStdString();
    EXPECT_TRUE(xml.contains(QStringLiteral("<method name=\"OpenFiles\">"))) << xml.toStdString();
    EXPECT_TRUE(xml.contains(QStringLiteral("<arg name=\"files\" type=\"aay\" direction=\"in\"/>")));
    EXPECT_TRUE(xml.contains(QStringLiteral("<method name=\"Raise\"")));
    EXPECT_FALSE(xml.contains(QStringLiteral("<signal")));
    EXPECT_FALSE(xml.contains(QStringLiteral("<property")));
}

TEST_F(InstanceServiceTest, RequestsWaitUntilTheProgramIsReady)
{
    QSignalSpy opened(m_claim.service, &InstanceService::openRequested);
    QSignalSpy raised(m_claim.service, &InstanceService::raiseRequested);
    qDBusRegisterMetaType<Files>();
    EXPECT_EQ(PrivateBus::call(m_caller, request("OpenFiles", {QVariant::fromValue(Files{"/a", "/b\xff"})})).type(),
              QDBusMessage::ReplyMessage);
    EXPECT_EQ(PrivateBus::call(m_caller, request("Raise")).type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(opened.count() + raised.count(), 0);

    m_claim.service->setReady();
    ASSERT_EQ(opened.count(), 1);
    EXPECT_EQ(opened.at(0).at(0).value<Files>(), (Files{"/a", "/b\xff"}));
    EXPECT_EQ(raised.count(), 1);
    PrivateBus::call(m_caller, request("OpenFiles", {QVariant::fromValue(Files{"/c"})}));
    ASSERT_EQ(opened.count(), 2);
    EXPECT_EQ(opened.at(1).at(0).value<Files>(), Files{"/c"});

    // An ending program refuses, so that the caller opens its files itself.
    m_claim.service->stop();
    const QDBusMessage refused = PrivateBus::call(m_caller, request("Raise"));
    EXPECT_EQ(refused.type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(raised.count(), 1);
}

TEST_F(InstanceServiceTest, MalformedCallsAreRefusedWithoutEffect)
{
    m_claim.service->setReady();
    QSignalSpy opened(m_claim.service, &InstanceService::openRequested);
    QSignalSpy raised(m_claim.service, &InstanceService::raiseRequested);
    qDBusRegisterMetaType<Files>();
    Files tooMany;
    for (int i = 0; i <= Instance::maxFilesPerCall; ++i)
        tooMany << "/f" + QByteArray::number(i);
    const QList<QVariantList> badArguments = {
        {QVariant::fromValue(Files{})},
        {QVariant::fromValue(Files{"/fine", "relative.txt"})},
        {QVariant::fromValue(Files{QByteArray("/nul\0byte", 9)})},
        {QVariant::fromValue(Files{"/" + QByteArray(Instance::maxPathBytes, 'x')})},
        {QVariant::fromValue(tooMany)},
        {QStringLiteral("/a/string")},
        {QVariant::fromValue(Files{"/a"}), 1},
        {},
    };
    for (const QVariantList& arguments : badArguments) {
        const QDBusMessage answer = PrivateBus::call(m_caller, request("OpenFiles", arguments));
        EXPECT_EQ(answer.type(), QDBusMessage::ErrorMessage) << answer.signature().toStdString();
    }
    EXPECT_EQ(PrivateBus::call(m_caller, request("Raise", {1})).type(), QDBusMessage::ErrorMessage);
    for (const char* other : {"Save", "Close", "Quit", "Text", "SetOption"})
        EXPECT_EQ(PrivateBus::call(m_caller, request(other)).errorName(),
                  QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"));
    EXPECT_EQ(opened.count(), 0);
    EXPECT_EQ(raised.count(), 0);
}

TEST_F(InstanceServiceTest, EachDisplayHasItsOwnNameAndNoBusMeansAlone)
{
    // Another display has a name of its own.
    QObject parent;
    QDBusConnection other = m_bus.connect();
    const QString elsewhere = Instance::serviceName(QStringLiteral("xcb"), ":5");
    InstanceClaim second = claimInstance(other, elsewhere, {}, &parent);
    EXPECT_EQ(second.role, InstanceClaim::Role::Primary);
    releaseInstance(other, elsewhere, second.service);
    // Once given up, the name can be taken again.
    second = claimInstance(other, elsewhere, {}, &parent);
    EXPECT_EQ(second.role, InstanceClaim::Role::Primary);
    releaseInstance(other, elsewhere, second.service);

    // Without a bus, each start is alone.
    EXPECT_EQ(claimInstance(QDBusConnection(QStringLiteral("no-such-connection")), service, {}, &parent).role,
              InstanceClaim::Role::Alone);
}
