#pragma once
// Preset handler: copies the preset scenes that the data center holds for the
// current device into the processor, scene after scene, and within a scene data
// type after data type as the processor asks for them.
//
// A run starts with slot_sendDataToDevice(0) (the data center loaded the
// database) and takes one step per finished scene (the large-package handler's
// sig_switchSceneEnd): the scene just sent is stored into its template and the
// next is sent; after the last preset the live scene is restored. Only a
// processor-class device (kind 1) takes part. Lives in the interface thread.

#include <QObject>
#include <QString>
#include <QVariantList>

class BLL_BusinessLogic_LocalPreinstall : public QObject
{
    Q_OBJECT
public:
    explicit BLL_BusinessLogic_LocalPreinstall(QObject *parent = nullptr);
    ~BLL_BusinessLogic_LocalPreinstall() override;

    // Sends the data of kind `synType` of the current scene (the processor asked for it).
    void dealPreinstallData(int synType);

    // The scene being sent ("" = the live scene) and the steps taken in this run.
    QString currentSceneId() const { return m_currentSceneId; }
    int sceneCounter() const { return m_sceneCounter; }
    // Template numbers stored in this run, in order.
    QList<int> templatesSent() const { return m_templatesSent; }

signals:
    void sig_setNewDatacenterEnd();

public slots:
    // One step of a preset run: 0 start, 1 previous scene finished, 255 it failed.
    void slot_sendDataToDevice(int flag);
    // Sends the live data of the current device.
    void slot_sendNewDataToDevice();

private:
    int m_sceneCounter = 0;
    QString m_currentSceneId;
    QList<int> m_templatesSent;
};
