#pragma once
// The data center's record of one device, keyed by the guid of its link.
//
// Fields: kind (0 search link, 1 processor-class device made from a search
// result, 2 directly opened link), IP address, port, name, net id and the two
// VPU bytes (0 in a fresh record; connections set 120 and 56).
//
// Scenes. A record keeps scenes, each a set of per-type lists of parameter maps
// (type 0 layers; 1 input blocks and image adjustment; 2 per-output entries:
// edge blending, output setup, channels; 3 synchronised layout groups). The
// live scene has the id "" and always exists; the other scenes are presets
// (at most presetLimit). The scene of a stored data object is named by the key
// of saveData: "" and the record's own guid both name the live scene, any other
// key names a preset scene, made on first use.
//
// Storing a data object (storeData) keeps a copy of it under (scene, module
// name), replacing the previous copy of that module, and enters its toMap() into
// the scene:
//   - the scene data type is the map's "sceneDataType" when present, otherwise
//     the type registered for its "moduleName" (registerSceneDataType); a map
//     with neither is kept only as a data object;
//   - a map with "itemList" (a list of maps) replaces the whole list of its type;
//   - any other map is one item: it replaces the item of the same identity
//     (same "moduleName" and same values of those of "layerID", "cardSlotNum",
//     "portNum", "itemIndex" it carries) or is appended.
//
// Every member is safe to call from several threads.

#include <QList>
#include <QString>
#include <QVariantList>
#include <QVariantMap>
#include <memory>
#include <mutex>

class Module_Base;
class SceneStore;

class Bll_DataCenter_DeviceBase
{
public:
    static constexpr int presetLimit = 16;

    Bll_DataCenter_DeviceBase(const QString &guid, int kind);

    virtual void setDeviceName(QString name);
    // The items of one data type of a scene ("" = the live scene).
    virtual QVariantList getDataListFromScene(int type, QString sceneId);
    // The first item of that type in that scene whose "moduleName" is moduleName.
    virtual QVariantMap getDataFromScene(int type, QString sceneId, QString moduleName);
    // The scene ids: "" (the live scene) first, then the presets in the order
    // they were made.
    virtual QVariantList getSceneList();
    virtual void setFirstVpuByte(quint8 value);
    virtual quint8 getFirstVpuByte();
    virtual void setSecondVpuByte(quint8 value);
    virtual quint8 getSecondVpuByte();
    virtual void setCurrentSceneId(QString sceneId);
    virtual QString getCurrentSceneId();
    // Makes a preset scene holding a copy of the scene sourceSceneId ("" = the
    // live scene; an unknown id gives an empty preset) and returns its new id
    // (the lowest unused number from 1, as text). "" when all presets are in use.
    virtual QString addPreinstall(QString sourceSceneId);
    // Removes a preset scene and its data objects; the live scene stays.
    virtual void removePreinstall(QString sceneId);

    virtual ~Bll_DataCenter_DeviceBase();

    QString guid() const { return m_guid; }
    int kind() const;
    QString deviceName() const;
    QString ip() const;
    void setIp(const QString &ip);
    quint16 port() const;
    void setPort(quint16 port);
    QString netId() const;
    void setNetId(const QString &netId);

    // Keeps a clone of data (the caller keeps its object) under the scene named
    // by key; returns false for a null object.
    bool storeData(const Module_Base *data, const QString &key);
    // The stored copy of a module under a key (normalised as for storeData), or null.
    std::shared_ptr<const Module_Base> storedData(const QString &moduleName,
                                                  const QString &key) const;
    // Every stored copy under a key, ordered by module name.
    QList<std::shared_ptr<const Module_Base>> storedDataList(const QString &key) const;
    int storedDataCount() const;

    // The scenes as written to the database (see BLL_DataBase_Desktop::writeScenes).
    QVariantList scenesForStorage() const;
    // Replaces the scenes (all of them, or only the live one) by stored ones.
    void restoreScenes(const QVariantList &scenes, bool liveSceneOnly);

    // Forgets scenes and stored objects; kind and connection fields start over.
    void reset(int kind);

    // Registers the scene data type of a module's maps (for every record).
    static void registerSceneDataType(const QString &moduleName, int type);
    static int sceneDataType(const QString &moduleName);

    Bll_DataCenter_DeviceBase(const Bll_DataCenter_DeviceBase &) = delete;
    Bll_DataCenter_DeviceBase &operator=(const Bll_DataCenter_DeviceBase &) = delete;

private:
    QString sceneKey(const QString &key) const;

    const QString m_guid;
    mutable std::mutex m_mutex;
    int m_kind;
    QString m_name;
    QString m_ip;
    quint16 m_port = 0;
    QString m_netId;
    quint8 m_firstVpuByte = 0;
    quint8 m_secondVpuByte = 0;
    QString m_currentSceneId;
    std::unique_ptr<SceneStore> m_scenes;
    // scene id -> module name -> stored copy
    QMap<QString, QMap<QString, std::shared_ptr<const Module_Base>>> m_stored;
};
