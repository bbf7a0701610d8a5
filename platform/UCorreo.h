#pragma once
// Handing a message to the user's mail program.
#include <QString>

// Hands one message to the user's mail program for review (xdg-email):
// subject, body, recipients ("a@x.es; b@y.es" are two), one attachment; empty
// arguments are left out. The sender is the mail program's own account, so
// the sender arguments and the recipient's name are not passed. With
// `ocultos` the recipients go as blind copies (Bcc), hidden from one
// another: a message to many people discloses no one's address. Returns 0 when
// the message was handed over, -1 when there is no mail interface
// (xdg-email missing), otherwise xdg-email's error status.
int EnviaCorreo(const QString& asunto, const QString& cuerpo, const QString& adjunto,
                const QString& direccion, const QString& nombre,
                const QString& direccionRemitente, const QString& nombreRemitente, bool ocultos = false);

// What the user is told when EnviaCorreo did not hand the message over
// (`estado` its result, not 0): with no mail program set up (no mail
// interface, or xdg-email finding no mail program, its status 3), that there
// is none, where the attachment is to send it by hand, and how to set one
// up; otherwise the mail program's refusal with its status. Empty for 0.
QString ExplicaCorreo(int estado, const QString& adjunto);
