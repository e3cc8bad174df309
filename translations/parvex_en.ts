<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ru">
<context>
    <name>FileChoice</name>
    <message>
        <source>Сохранить параметры</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Параметры считывателя (*.json)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Загрузить параметры</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Сохранить журнал обмена</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Таблица CSV (*.csv)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Сохранить журнал</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Текст (*.txt)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Все файлы (*)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ParameterFile</name>
    <message>
        <source>не JSON: %1 (позиция %2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>не JSON: ожидается объект {...}</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 — не целое число от %2 до %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>нет такого имени &apos;%1&apos; (допустимы: %2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>нужно поле &quot;value&quot; или &quot;name&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>значение %1 и имя %2 не совпадают</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 — не дата вида ГГГГ-ММ-ДД</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 — такой даты нет в календаре</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 — не %2 шестнадцатеричных цифр и не &quot;&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>нужен список из %n записей</source>
        <translation type="unfinished">
            <numerusform></numerusform>
            <numerusform></numerusform>
        </translation>
    </message>
    <message>
        <source>нет значения, а режим %1 его записывает</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>файл больше %1 КиБ — это не файл параметров</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>файл не читается: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>прочитано %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>не прочитано</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: записано %2, %3</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Reader</name>
    <message>
        <source>Чтение серийного номера</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Чтение номера кассы</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Изменение ключа</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Изменение инициализирующего ключа</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Изменение количества единиц пополнения</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Чтение количества единиц пополнения</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Изменение режима работы</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Чтение режима работы</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Изменение типа карточки</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Чтение типа карточки</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Изменение текущей даты</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Чтение текущей даты</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Изменение конечной даты</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Чтение конечной даты</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Выбор номера сектора для записи данных</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Чтение номера сектора, выбранного для записи данных</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Изменение таймаута прохода по карточкам &quot;Абонемент&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Чтение таймаута прохода по карточкам &quot;Абонемент&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Изменение времени работы реле</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Чтение временин работы реле</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Изменение черного списка кассовых аппаратов</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Чтение черного списка кассовых аппаратов</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Неизвестная команда</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>несоответствие контрольной суммы</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>таймаут</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>доступ запрещен</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>неправильный формат данных</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ошибка фрейма</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ошибка четности</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>коллизия</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>не полный UID</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ошибка типа</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>нет ответа</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>неправильная команда</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ошибка &quot;BadBitPassWrite&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>неправильный тип ключа</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>неправильной значение</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>команда не может быть обработана в текущем режиме</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ключ не может быть обработан в текущем режиме</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>неправильный формат даты</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>неправильный номер сектора, выбранного для записи данных</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>тестовая ошибка</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>неизвестная ошибка</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>успешно</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>неверная длина</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>статус</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quillmar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Турникет</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Чтение</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Пополнение</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Инициализация</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Пополняемая</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Абонемент</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Номер кассы</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Режим работы</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Тип карточки</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cектор</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Таймаут абонемента (сек)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Время реле (сек)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Черный список</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Чтение параметров считывателя</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Во время чтения параметров считывателя произошли ошибки: <byte value="xd"/>
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Запись параметров считывателя</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Во время записи параметров считывателя произошли ошибки: <byte value="xd"/>
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Изменение ключей</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Во время изменения ключей произошли ошибки: <byte value="xd"/>
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Поиск считывателей</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Во время поиска считывателей произошли ошибки: <byte value="xd"/>
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Считыватели не обнаружены</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Необходимо выбрать считыватель</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Необходимо выбрать режим работы считывателя</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Необходимо выбрать тип карточки</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Изменение ключей возможно только в режимах &quot;Турникет&quot;, &quot;Чтение&quot;, &quot;Пополнение&quot; и &quot;Инициализация&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Текущая дата</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Конечная дата</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 %2 не может быть записана: считыватель хранит даты с %3 по %4</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SaveFile</name>
    <message>
        <source>Не удалось сохранить файл %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TExchangeLogModel</name>
    <message>
        <source>Время</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Адрес</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Команда</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Попытка</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Задержка, мс</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Результат</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Запрос</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ответ</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>прервано</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ожидание</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TExchangeLogWindow</name>
    <message>
        <source>Журнал обмена</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Очистить</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Удалить все строки журнала обмена</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Сохранить…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Сохранить журнал обмена в файл CSV</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Сохранение журнала обмена</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TParameterPanel</name>
    <message>
        <source>Считыватель</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Журнал</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TParvexForm</name>
    <message>
        <source>Сохранение журнала</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Сохранение параметров</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Загрузка параметров</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Параметры не сохранены:<byte value="xd"/>
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Не удалось сохранить параметры в файл &quot;%1&quot;:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Не удалось загрузить параметры из файла &quot;%1&quot;:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Запись во все считыватели</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TTerminalView</name>
    <message>
        <source>Время</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Показывать время прихода каждой строки</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Показывать байты каждой строки в шестнадцатеричном виде</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Сохранить журнал…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Сохранить журнал в текстовый файл</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TfrmWriteAllProgress</name>
    <message>
        <source>Запись во все считыватели</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%v из %m</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Запись остановится после текущего считывателя</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Считыватель %1 из %2: %3</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TfrmWriteAllResults</name>
    <message>
        <source>не записан: запись отменена</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>записан и проверен</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ошибки</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>прочитан не так, как записан</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Запись во все считыватели: результат</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Считыватель</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Результат</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Записано и проверено: %1 из %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TfrmWriteKeys</name>
    <message>
        <source>Ключ A - для чтения информации и уменьшения количества проходов</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ключ B - для пополнения</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ключ для инициализации новых карт</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Тип ключа для инициализации новых карт</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
