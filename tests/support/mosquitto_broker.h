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
#include <QStringList>
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
        QFile config(dir_.filePath("mosquitto.conf"));
        if (!config.open(QIODevice::WriteOnly))
            return;
        // set_tcp_nodelay: the broker passes each message on at once, as one set up for
        // live readings does, so a latency measured here is the program's own.
        QString text = QString("listener %1 127.0.0.1\npersistence false\nset_tcp_nodelay true\nuser %2\n")
                           .arg(port_)
                           .arg(QString::fromLocal8Bit(getpwuid(getuid())->pw_name));
        if (user.isEmpty()) {
            text += "allow_anonymous true\n";
        } else {
            quietly("mosquitto_passwd", {"-b", "-c", dir_.filePath("passwords"), user, password});
            text += "allow_anonymous false\npassword_file " + dir_.filePath("passwords") + "\n";
        }
        if (tls && makeCertificates())
            text += QString("cafile %1\ncertfile %2\nkeyfile %3\n")
                        .arg(caFile(), dir_.filePath("server.crt"), dir_.filePath("server.key"));
        config.write(text.toUtf8());
    }
    ~MosquittoBroker() { stop(); }
    MosquittoBroker(const MosquittoBroker&) = delete;
    MosquittoBroker& operator=(const MosquittoBroker&) = delete;

    // True once it takes connections.
    bool start()
    {
        process_.start("mosquitto", {"-c", dir_.filePath("mosquitto.conf")});
        if (!process_.waitForStarted(5000))
            return false;
        const QDeadlineTimer deadline(5000);
        while (!deadline.hasExpired()) {
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
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.terminate();
        if (!process_.waitForFinished(5000))
            process_.kill();
        process_.waitForFinished(5000);
    }

    int port() const { return port_; }
    QString caFile() const { return dir_.filePath("ca.crt"); }

private:
    // Runs a tool to its end, its output dropped; true when it succeeded.
    static bool quietly(const QString& program, const QStringList& arguments)
    {
        QProcess tool;
        tool.start(program, arguments);
        return tool.waitForFinished(10000) && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
    }

    bool makeCertificates()
    {
        QFile names(dir_.filePath("names.cnf"));
        if (!names.open(QIODevice::WriteOnly) || names.write("subjectAltName=DNS:localhost,IP:127.0.0.1\n") <= 0)
            return false;
        names.close();
        const QString key = "-newkey", curve = "ec", curveName = "ec_paramgen_curve:prime256v1";
        return quietly("openssl", {"req", "-x509", key, curve, "-pkeyopt", curveName, "-nodes", "-days", "2",
                                             "-subj", "/CN=kvo7730 test authority", "-keyout", dir_.filePath("ca.key"),
                                             "-out", caFile()})
            && quietly("openssl", {"req", key, curve, "-pkeyopt", curveName, "-nodes", "-subj", "/CN=localhost",
                                             "-keyout", dir_.filePath("server.key"), "-out", dir_.filePath("server.csr")})
            && quietly("openssl", {"x509", "-req", "-in", dir_.filePath("server.csr"), "-CA", caFile(), "-CAkey",
                                             dir_.filePath("ca.key"), "-CAcreateserial", "-days", "2", "-extfile",
                                             names.fileName(), "-out", dir_.filePath("server.crt")});
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
    MqttSubscriber(const MqttSubscriber&) = delete;
    MqttSubscriber& operator=(const MqttSubscriber&) = delete;

    // The first line received that matches, waiting up to withinMs while the event loop
    // runs; empty when none came.
    QString waitFor(const QString& pattern, int withinMs)
    {
        const QRegularExpression wanted(pattern);
        const QDeadlineTimer deadline(withinMs);
        for (;;) {
            readLines();
            for (qsizetype i = 0; i < lines_.size(); ++i)
                if (wanted.match(lines_[i]).hasMatch())
                    return lines_.takeAt(i);
            if (deadline.hasExpired())
                return {};
            QTest::qWait(10);
        }
    }

    // Every line received so far and not yet taken by waitFor.
    QStringList lines()
    {
        readLines();
        return lines_;
    }

private:
    // Whole lines only: a payload may arrive in two reads.
    void readLines()
    {
        pending_ += process_.readAllStandardOutput();
        const qsizetype end = pending_.lastIndexOf('\n');
        if (end < 0)
            return;
        lines_ += QString::fromUtf8(pending_.left(end)).split('\n', Qt::SkipEmptyParts);
        pending_.remove(0, end + 1);
    }

    QProcess process_;
    QByteArray pending_;
    QStringList lines_;
};
