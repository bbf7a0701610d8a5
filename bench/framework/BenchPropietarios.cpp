#include "BenchPropietarios.h"
#include "FIBDatabase.h"
#include "FIBScript.h"

#include <QElapsedTimer>
#include <cstdio>

void CreaPropietarios(TFIBDatabase& db, const QString& path)
{
    TFIBDatabase::CreateDatabase(path, QStringLiteral("SYSDBA"), QStringLiteral("masterkey"), false);
    db.SetDBName(path);
    db.SetDBParams({QStringLiteral("user_name=SYSDBA"), QStringLiteral("password=masterkey")});
    db.Open();
    QElapsedTimer t;
    t.start();
    ExecuteScript(db, QStringLiteral(R"SQL(
CREATE TABLE EMP_PROPIETARIO (
  COMUNIDAD INTEGER NOT NULL, CODIGO INTEGER NOT NULL, NOMBRE VARCHAR(40) DEFAULT '',
  TELEFONO VARCHAR(15) DEFAULT '', E_MAIL VARCHAR(100) DEFAULT '', OBSERVACIONES VARCHAR(200) DEFAULT '',
  PRIMARY KEY (COMUNIDAD, CODIGO));
SET TERM ^ ;
EXECUTE BLOCK AS
DECLARE I INTEGER = 1;
BEGIN
  WHILE (I <= %1) DO
  BEGIN
    INSERT INTO EMP_PROPIETARIO VALUES (1, :I,
      IIF(MOD(:I, 2) = 0, 'Propietario ', 'propietaria ') || :I || ' Pérez García',
      '96' || CAST(CAST(1000000 + :I AS INTEGER) AS VARCHAR(10)),
      'propietario' || :I || '@correo.es',
      IIF(MOD(:I, 3) = 0, '', 'Observación sobre la finca número ' || :I || ', planta ' || MOD(:I, 12)));
    I = I + 1;
  END
END^
SET TERM ; ^
)SQL").arg(kPropietarios));
    std::printf("filled %d owners in %.2f s\n", kPropietarios, static_cast<double>(t.elapsed()) / 1000.0);
}
