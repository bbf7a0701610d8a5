/* Schema level 5: how each owner attends and when the minutes were
   notified. A database made by an earlier version gains these columns when
   the program opens it; every row stays, and the columns it had keep their
   meaning: ASISTENCIA is still 1 for an owner who attends in any way, and
   NOMBRE still carries a representative's name. */

/* How the owner attends: 0 in person, 1 represented (NOMBRE is the
   representative's), 2 by telematic means. */
ALTER TABLE VOTACIONES ADD MODO SMALLINT DEFAULT 0;
ALTER TABLE VOTACIONES ADD CONSTRAINT CK_VOTACIONES_MODO CHECK (MODO BETWEEN 0 AND 2);

/* The day the minutes were notified to the owners: absent owners have 30
   days from it to object. Null while they are not. */
ALTER TABLE ACUERDOS ADD NOTIFICADA DATE;

COMMIT;

/* The vote rows made before: represented where the row carries another name
   than the owner's, as the attendance list has told them apart until now. */
UPDATE VOTACIONES V SET MODO = CASE WHEN EXISTS (
    SELECT 1 FROM EMP_PROPIETARIO P
    WHERE P.COMUNIDAD = V.COMUNIDAD AND P.CODIGO = V.PROPIETARIO AND P.NOMBRE IS DISTINCT FROM V.NOMBRE)
  THEN 1 ELSE 0 END;
