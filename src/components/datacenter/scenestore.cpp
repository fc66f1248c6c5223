#include "scenestore.h"

namespace
{
const char *const kIdentityKeys[] = {"layerID", "cardSlotNum", "portNum", "itemIndex"};
} // namespace

SceneStore::SceneStore()
{
    clear();
}

QString SceneStore::identity(const QVariantMap &item)
{
    QString id = item.value(QStringLiteral("moduleName")).toString();
    for (const char *key : kIdentityKeys) {
        const QString name = QString::fromLatin1(key);
        if (item.contains(name))
            id += QLatin1Char('|') + name + QLatin1Char('=') + item.value(name).toString();
    }
    return id;
}

void SceneStore::ensureScene(const QString &sceneId)
{
    if (!m_scenes.contains(sceneId)) {
        m_scenes.insert(sceneId, Scene());
        m_order.append(sceneId);
    }
}

void SceneStore::enter(const QString &sceneId, int type, const QVariantMap &values)
{
    ensureScene(sceneId);
    QVariantList &list = m_scenes[sceneId][type];
    const auto itemList = values.constFind(QStringLiteral("itemList"));
    if (itemList != values.constEnd()) {
        list.clear();
        const QVariantList items = itemList.value().toList();
        for (const QVariant &item : items) {
            if (item.canConvert<QVariantMap>())
                list.append(item.toMap());
        }
        return;
    }
    const QString id = identity(values);
    for (QVariant &item : list) {
        if (identity(item.toMap()) == id) {
            item = values;
            return;
        }
    }
    list.append(values);
}

QVariantList SceneStore::dataList(int type, const QString &sceneId) const
{
    return m_scenes.value(sceneId).value(type);
}

QVariantMap SceneStore::data(int type, const QString &sceneId, const QString &moduleName) const
{
    const QVariantList list = dataList(type, sceneId);
    for (const QVariant &item : list) {
        const QVariantMap map = item.toMap();
        if (map.value(QStringLiteral("moduleName")).toString() == moduleName)
            return map;
    }
    return {};
}

QStringList SceneStore::sceneIds() const
{
    return m_order;
}

bool SceneStore::hasScene(const QString &sceneId) const
{
    return m_scenes.contains(sceneId);
}

QString SceneStore::addPreset(const QString &source, int limit)
{
    if (presetCount() >= limit)
        return QString();
    int number = 1;
    while (m_scenes.contains(QString::number(number)))
        ++number;
    const QString id = QString::number(number);
    m_scenes.insert(id, m_scenes.value(source));
    m_order.append(id);
    return id;
}

bool SceneStore::removePreset(const QString &sceneId)
{
    if (sceneId.isEmpty() || !m_scenes.contains(sceneId))
        return false;
    m_scenes.remove(sceneId);
    m_order.removeAll(sceneId);
    return true;
}

void SceneStore::clear()
{
    m_scenes.clear();
    m_order.clear();
    ensureScene(QString());
}

QVariantList SceneStore::toStorage() const
{
    QVariantList scenes;
    for (const QString &sceneId : m_order) {
        QVariantMap lists;
        const Scene scene = m_scenes.value(sceneId);
        for (auto it = scene.cbegin(); it != scene.cend(); ++it)
            lists.insert(QString::number(it.key()), it.value());
        QVariantMap entry;
        entry.insert(QStringLiteral("sceneId"), sceneId);
        entry.insert(QStringLiteral("dataLists"), lists);
        scenes.append(entry);
    }
    return scenes;
}

void SceneStore::fromStorage(const QVariantList &scenes, bool liveSceneOnly)
{
    if (liveSceneOnly)
        m_scenes.insert(QString(), Scene());
    else
        clear();
    for (const QVariant &entryValue : scenes) {
        const QVariantMap entry = entryValue.toMap();
        const QString sceneId = entry.value(QStringLiteral("sceneId")).toString();
        if (liveSceneOnly && !sceneId.isEmpty())
            continue;
        ensureScene(sceneId);
        Scene &scene = m_scenes[sceneId];
        const QVariantMap lists = entry.value(QStringLiteral("dataLists")).toMap();
        for (auto it = lists.cbegin(); it != lists.cend(); ++it) {
            bool ok = false;
            const int type = it.key().toInt(&ok);
            if (ok)
                scene.insert(type, it.value().toList());
        }
    }
}
