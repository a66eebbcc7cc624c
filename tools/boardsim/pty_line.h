#pragma once

// A pseudo-terminal pair: the program opens the slave end as its serial port,
// the board serves the master end.

#include "line.h"

#include <QString>

#include <memory>

class QSocketNotifier;

namespace boardsim {

class PtyLine : public Line {
    Q_OBJECT
public:
    struct Created {
        std::unique_ptr<PtyLine> line;
        QString error;   // why the pair or the link could not be made
    };

    // Creates the pair with the slave in raw mode. With a linkPath, also a symbolic
    // link there to the slave (replacing an older symbolic link, never another
    // kind of file), removed again when the line is destroyed.
    static Created create(const QString& linkPath = {});

    ~PtyLine() override;

    QString slavePath() const { return m_slavePath; }
    bool send(const QByteArray& bytes) override;

private:
    PtyLine(int master, int slave, const QString& slavePath, const QString& linkPath);
    void readAvailable();

    int m_master;
    // Held open so that the master never sees a hang-up while the program has
    // the port closed, and so that the raw mode stays set between its opens.
    int m_slave;
    QString m_slavePath;
    QString m_linkPath;
    QSocketNotifier* m_notifier;
};

} // namespace boardsim
