#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

// The durable record of a plan being carried out (SignaturePlan), in the
// application's data folder. Its run holds a lock on it for as long as it
// runs, which the system lets go when the run ends, killed or not: a record
// whose lock can be taken is one a run left behind.
class PlanRecord
{
public:
    PlanRecord() = default;
    PlanRecord(PlanRecord &&other) noexcept;
    PlanRecord &operator=(PlanRecord &&) = delete;
    PlanRecord(const PlanRecord &) = delete;
    ~PlanRecord();

    // Writes bytes as a new record, flushed to the disk, and holds it; false, with the reason, when it could
    // not be made durable, and the plan must then not start.
    bool write(const QByteArray &bytes, QString *error);
    // Removes the record and lets it go.
    void clear();

    // The records no run holds, each held by the one taking it up, with its bytes.
    static std::vector<std::pair<PlanRecord, QByteArray>> leftBehind();

private:
    QString m_path;
    int m_fd = -1;
};
