// A Mosquitto broker of the test's own on a free loopback port, its configuration in
// a scratch folder, stopped when the test ends (never the system's broker); and a
// subscriber, mosquitto_sub, that records "retain topic payload" lines.
//
// Header-only; needs Qt Network and Qt Test, and mosquitto, mosquitto_passwd,
// mosquitto_sub and (for TLS) openssl on the PATH.
#pragma once

#include "free_tcp_port.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <pwd.h>
#include <unistd.h>

class MosquittoBroker {
public:
    // With a user name, only that user with that password gets in. With TLS the broker
    // has a certificate for "localhost", signed by an authority made for the test.
    explicit MosquittoBroker(const QString& user = {}, const QString& password = {}, bool tls = false)
        : port_(freeTcpPort())
    {
        // set_tcp_nodelay: the broker passes each message on at once, as one set up for
        // live readings does, so a latency measured here is the program's own.
        QString text = QString("listener %1 127.0.0.1\npersistence false\nset_tcp_nodelay true\nuser %2\n")
                           .arg(port_)
                           .arg(QString::fromLocal8Bit(getpwuid(getuid())->pw_name));
        if (!user.isEmpty() && quietly("mosquitto_passwd", {"-b", "-c", path("passwords"), user, password}))
            text += "allow_anonymous false\npassword_file " + path("passwords") + "\n";
        else
            text += "allow_anonymous true\n";
        if (tls && makeCertificates())
            text += QString("cafile %1\ncertfile %2\nkeyfile %3\n").arg(caFile(), path("server.crt"), path("server.key"));
        QFile config(path("mosquitto.conf"));
        if (config.open(QIODevice::WriteOnly))
            config.write(text.toUtf8());
    }
    ~MosquittoBroker() { stop(); }

    // True once it takes connections.
    bool start()
    {
        process_.start("mosquitto", {"-c", path("mosquitto.conf")});
        for (const QDeadlineTimer deadline(5000); process_.waitForStarted(1000) && !deadline.hasExpired();) {
            QTcpSocket probe;
            probe.connectToHost("127.0.0.1", static_cast<quint16>(port_));
            if (probe.waitForConnected(200))
                return true;
            QTest::qWait(20);
        }
        return false;
    }

    void stop()
    {
        process_.terminate();
        if (!process_.waitForFinished(5000))
            process_.kill();
        process_.waitForFinished(5000);
    }

    int port() const { return port_; }
    QString caFile() const { return path("ca.crt"); }

private:
    QString path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }

    // Runs a tool to its end, its output dropped; true when it succeeded.
    static bool quietly(const QString& program, const QStringList& arguments)
    {
        QProcess tool;
        tool.start(program, arguments);
        return tool.waitForFinished(10000) && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
    }

    bool makeCertificates()
    {
        QFile names(path("names.cnf"));
        if (!names.open(QIODevice::WriteOnly) || names.write("subjectAltName=DNS:localhost,IP:127.0.0.1\n") <= 0)
            return false;
        names.close();
        const QStringList newKey{"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"};
        return quietly("openssl", QStringList{"req", "-x509", "-days", "2", "-subj", "/CN=kvo7730 test authority",
                                              "-keyout", path("ca.key"), "-out", caFile()} + newKey)
            && quietly("openssl", QStringList{"req", "-subj", "/CN=localhost", "-keyout", path("server.key"), "-out",
                                              path("server.csr")} + newKey)
            && quietly("openssl", {"x509", "-req", "-in", path("server.csr"), "-CA", caFile(), "-CAkey", path("ca.key"),
                                   "-CAcreateserial", "-days", "2", "-extfile", names.fileName(), "-out",
                                   path("server.crt")});
    }

    QTemporaryDir dir_;
    int port_;
    QProcess process_;
};

class MqttSubscriber {
public:
    // Subscribes to the filters; a retained message keeps its flag (MQTT 5).
    MqttSubscriber(int port, const QStringList& filters)
    {
        QStringList arguments{"-h", "127.0.0.1", "-p", QString::number(port), "-V", "mqttv5", "--retain-as-published",
                              "-F", "%r %t %p"};
        for (const QString& filter : filters)
            arguments << "-t" << filter;
        process_.start("mosquitto_sub", arguments);
        process_.waitForStarted(5000);
    }
    ~MqttSubscriber()
    {
        process_.kill();
        process_.waitForFinished(5000);
    }

    // The first line received that matches (taken from those kept), waiting up to
    // withinMs while the event loop runs; empty when none came.
    QString waitFor(const QString& pattern, int withinMs)
    {
        const QRegularExpression wanted(pattern);
        for (const QDeadlineTimer deadline(withinMs);; QTest::qWait(10)) {
            while (process_.canReadLine())
                lines_ << QString::fromUtf8(process_.readLine()).chopped(1);
            for (qsizetype i = 0; i < lines_.size(); ++i)
                if (wanted.match(lines_[i]).hasMatch())
                    return lines_.takeAt(i);
            if (deadline.hasExpired())
                return {};
        }
    }

private:
    QProcess process_;
    QStringList lines_;
};
