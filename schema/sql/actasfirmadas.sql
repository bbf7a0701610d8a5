/* Schema level 6: the signed minutes, the legal record of a meeting. One row
   per convocation whose minutes were signed: the signed PDF as it left the
   signing, who signed and when, and the SHA-256 of the stored minutes (the
   RTF of CONVOCATORIAS.ACTA) that were signed. Minutes changed afterwards no
   longer match it: the row stays as the previous signed version until the
   new minutes are signed. CONVOCATORIAS keeps its columns as they were. */
CREATE TABLE ACTAS_FIRMADAS (
  COMUNIDAD       INTEGER NOT NULL,
  CONVOCATORIA    INTEGER NOT NULL,
  PDF             BLOB SUB_TYPE 0,
  FIRMANTE        VARCHAR(200) DEFAULT '',
  FECHA           TIMESTAMP,
  HUELLA          VARCHAR(64) DEFAULT '',
  CONSTRAINT PK_ACTAS_FIRMADAS PRIMARY KEY (CONVOCATORIA, COMUNIDAD)
);

/* It goes with its convocation. */
SET TERM ^ ;
CREATE TRIGGER CONVOCATORIAS_ACTAS_FIRMADAS FOR CONVOCATORIAS
ACTIVE AFTER DELETE POSITION 11
AS
BEGIN
  DELETE FROM ACTAS_FIRMADAS WHERE COMUNIDAD = OLD.COMUNIDAD AND CONVOCATORIA = OLD.CODIGO;
END^
SET TERM ; ^
