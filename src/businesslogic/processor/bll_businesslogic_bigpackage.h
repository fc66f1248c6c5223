#pragma once
// Large-package handler: after the pipeline stored a large scene package it runs
// the synchronisation handshake with the processor and sends the edge-fusion and
// output-setup tables the processor asks for, built from the live scene at the
// moment it asks. It keeps no state between calls and lives in the interface
// thread (its slots are reached queued from the pipeline).

#include <QObject>
#include <QVariantMap>

class BLL_BusinessLogic_BigPackage : public QObject
{
    Q_OBJECT
public:
    explicit BLL_BusinessLogic_BigPackage(QObject *parent = nullptr);
    ~BLL_BusinessLogic_BigPackage() override;

signals:
    // The scene switch on the device finished (1) or ended with code 255.
    void sig_switchSceneEnd(int flag);

public slots:
    // A large package of kind `flag` was stored (the pipeline's sig_bigPackageType).
    void slot_dealBigData(int flag);
    // Every module reply; only "Module_ReadBeforeSynInfo" concerns this handler.
    void slot_recvData(QVariantMap moduleData);

private:
    void sendSynRequest(int cmdFlag);
    void sendTable(int synType);
};
