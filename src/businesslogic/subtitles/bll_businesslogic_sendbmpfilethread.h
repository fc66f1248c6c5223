#pragma once
// Subtitle sender: converts a bitmap file into the card's subtitle pixels and sends
// it chunk by chunk through the module pipeline, one chunk per acknowledgement.
//
// This is the shell the facade owns and wires; the transfer arrives with the
// subtitle feature.

#include <QObject>
#include <QString>
#include <QVariantMap>

class BLL_BusinessLogic_SendBMPFileThread : public QObject
{
    Q_OBJECT
public:
    explicit BLL_BusinessLogic_SendBMPFileThread(QObject *parent = nullptr);
    ~BLL_BusinessLogic_SendBMPFileThread() override;

    // "BMPBit", "BMPWidth", "BMPHeight" of the file named by "fileName"; empty on failure.
    QVariantMap getBMPFileInformation(QVariantMap map);
    // Starts a transfer unless one runs.
    void sendBMPFileName(QVariantMap map);
    // Sends the chunk at `position`, or the end command after the last one.
    void sendBMPFileByteArray(int position);

signals:
    // The transfer ended: "Bitmap transfer completed" or the conversion's error text.
    void sig_closeThread(QString message);

public slots:
    // Every module reply; an acknowledged chunk moves the transfer on.
    void slot_nextSendBMPFile(QVariantMap map);
    void slot_closeThread(QString message);
};
