#include "bll_colorimeter_link.h"

#include <QLoggingCategory>
#include <QMutexLocker>

Q_LOGGING_CATEGORY(lcColorimeter, "ledwall.colorimeter")

BLL_Colorimeter_Link::BLL_Colorimeter_Link(QObject *parent) : QObject(parent) {}

BLL_Colorimeter_Link::~BLL_Colorimeter_Link() = default;

void BLL_Colorimeter_Link::appendCommandData(QVariantMap commandData)
{
    qCDebug(lcColorimeter) << "command" << commandData;
    {
        QMutexLocker locker(&m_mutex);
        if (m_commands.size() >= MaxPendingCommands) {
            qCDebug(lcColorimeter) << "queue full, oldest command dropped" << m_commands.first();
            m_commands.removeFirst();
        }
        m_commands.append(commandData);
    }
    emit sig_commandAppended(commandData);
}

QList<QVariantMap> BLL_Colorimeter_Link::pendingCommands() const
{
    QMutexLocker locker(&m_mutex);
    return m_commands;
}

QList<QVariantMap> BLL_Colorimeter_Link::takePendingCommands()
{
    QMutexLocker locker(&m_mutex);
    QList<QVariantMap> taken;
    taken.swap(m_commands);
    return taken;
}

int BLL_Colorimeter_Link::pendingCount() const
{
    QMutexLocker locker(&m_mutex);
    return m_commands.size();
}

void BLL_Colorimeter_Link::clearCommands()
{
    QMutexLocker locker(&m_mutex);
    m_commands.clear();
}
