#pragma once
// The scenes of one device record: per scene, per data type, a list of items
// (parameter maps). A plain value type; the record guards it.

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

class SceneStore
{
public:
    SceneStore();

    // Enters one data object's map into a scene of the given data type:
    // "itemList" replaces the type's list, anything else is one item that
    // replaces the item of the same identity or is appended.
    void enter(const QString &sceneId, int type, const QVariantMap &values);

    QVariantList dataList(int type, const QString &sceneId) const;
    QVariantMap data(int type, const QString &sceneId, const QString &moduleName) const;
    // "" (the live scene) first, then the presets in creation order.
    QStringList sceneIds() const;
    bool hasScene(const QString &sceneId) const;
    int presetCount() const { return m_order.size() - 1; }

    // Makes an empty scene if it does not exist yet.
    void ensureScene(const QString &sceneId);
    // A new preset copied from source; "" when `limit` presets exist already.
    QString addPreset(const QString &source, int limit);
    bool removePreset(const QString &sceneId);
    void clear();

    // Storage form: [{"sceneId", "dataLists": {"<type>": [items]}}].
    QVariantList toStorage() const;
    // Replaces the scenes by the stored ones (or only the live scene).
    void fromStorage(const QVariantList &scenes, bool liveSceneOnly);

    // The identity of an item inside a list.
    static QString identity(const QVariantMap &item);

private:
    using Scene = QMap<int, QVariantList>;
    QMap<QString, Scene> m_scenes;
    QStringList m_order; // "" first
};
