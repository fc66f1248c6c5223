#pragma once
// Preset handler: copies the preset scenes that the data center holds for the
// current device into the processor, driven by the processor's requests.
//
// This is the shell the facade owns and wires; the transfer arrives with the
// preset feature.

#include <QObject>

class BLL_BusinessLogic_LocalPreinstall : public QObject
{
    Q_OBJECT
public:
    explicit BLL_BusinessLogic_LocalPreinstall(QObject *parent = nullptr);
    ~BLL_BusinessLogic_LocalPreinstall() override;

    // Sends the data of kind `synType` of the current scene (the processor asked for it).
    void dealPreinstallData(int synType);

signals:
    void sig_setNewDatacenterEnd();

public slots:
    // One step of a preset run.
    void slot_sendDataToDevice(int flag);
    // Sends the live data of the current device.
    void slot_sendNewDataToDevice();
};
