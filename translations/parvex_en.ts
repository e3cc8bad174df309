<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ru">
<context>
    <name>FileChoice</name>
    <message>
        <source>Сохранить параметры</source>
        <translation>Save parameters</translation>
    </message>
    <message>
        <source>Параметры считывателя (*.json)</source>
        <translation>Reader parameters (*.json)</translation>
    </message>
    <message>
        <source>Загрузить параметры</source>
        <translation>Load parameters</translation>
    </message>
    <message>
        <source>Сохранить журнал обмена</source>
        <translation>Save exchange log</translation>
    </message>
    <message>
        <source>Таблица CSV (*.csv)</source>
        <translation>CSV table (*.csv)</translation>
    </message>
    <message>
        <source>Сохранить журнал</source>
        <translation>Save log</translation>
    </message>
    <message>
        <source>Текст (*.txt)</source>
        <translation>Text (*.txt)</translation>
    </message>
    <message>
        <source>Все файлы (*)</source>
        <translation>All files (*)</translation>
    </message>
    <message>
        <source>Открыть объект</source>
        <translation>Open site</translation>
    </message>
    <message>
        <source>Объект (*.json)</source>
        <translation>Site (*.json)</translation>
    </message>
    <message>
        <source>Сохранить снимок объекта</source>
        <translation>Save site snapshot</translation>
    </message>
    <message>
        <source>Сохранить отчёт</source>
        <translation>Save report</translation>
    </message>
    <message>
        <source>Новый объект из подключённых линий</source>
        <translation>New site from the lines plugged in</translation>
    </message>
</context>
<context>
    <name>ParameterFile</name>
    <message>
        <source>не JSON: %1 (позиция %2)</source>
        <translation>not JSON: %1 (offset %2)</translation>
    </message>
    <message>
        <source>не JSON: ожидается объект {...}</source>
        <translation>not JSON: an object {...} is expected</translation>
    </message>
    <message>
        <source>%1 — не целое число от %2 до %3</source>
        <translation>%1 is not a whole number from %2 to %3</translation>
    </message>
    <message>
        <source>нет такого имени &apos;%1&apos; (допустимы: %2)</source>
        <translation>no such name &apos;%1&apos; (allowed: %2)</translation>
    </message>
    <message>
        <source>нужно поле &quot;value&quot; или &quot;name&quot;</source>
        <translation>needs the field &quot;value&quot; or &quot;name&quot;</translation>
    </message>
    <message>
        <source>значение %1 и имя %2 не совпадают</source>
        <translation>the value %1 and the name %2 disagree</translation>
    </message>
    <message>
        <source>%1 — не дата вида ГГГГ-ММ-ДД</source>
        <translation>%1 is not a date of the form YYYY-MM-DD</translation>
    </message>
    <message>
        <source>%1 — такой даты нет в календаре</source>
        <translation>%1 is not a date of the calendar</translation>
    </message>
    <message>
        <source>%1 — не %2 шестнадцатеричных цифр и не &quot;&quot;</source>
        <translation>%1 is neither %2 hex digits nor &quot;&quot;</translation>
    </message>
    <message numerus="yes">
        <source>нужен список из %n записей</source>
        <translation>
            <numerusform>needs a list of %n entry</numerusform>
            <numerusform>needs a list of %n entries</numerusform>
        </translation>
    </message>
    <message>
        <source>файл больше %1 КиБ — это не файл параметров</source>
        <translation>the file is larger than %1 KiB: not a parameters file</translation>
    </message>
    <message>
        <source>файл не читается: %1</source>
        <translation>the file cannot be read: %1</translation>
    </message>
    <message>
        <source>прочитано %1</source>
        <translation>read %1</translation>
    </message>
    <message>
        <source>не прочитано</source>
        <translation>not read</translation>
    </message>
    <message>
        <source>%1: записано %2, %3</source>
        <translation>%1: written %2, %3</translation>
    </message>
    <message>
        <source>%1 — не дата вида ГГГГ-ММ-ДД и не &quot;today&quot;</source>
        <translation>%1 is not a date YYYY-MM-DD nor &quot;today&quot;</translation>
    </message>
    <message>
        <source>неизвестное поле</source>
        <translation>unknown field</translation>
    </message>
    <message>
        <source>%1 — не адрес схемы</source>
        <translation>%1 is not the address of a schema</translation>
    </message>
</context>
<context>
    <name>Reader</name>
    <message>
        <source>Чтение серийного номера</source>
        <translation>Read serial number</translation>
    </message>
    <message>
        <source>Чтение номера кассы</source>
        <translation>Read cash desk number</translation>
    </message>
    <message>
        <source>Изменение ключа</source>
        <translation>Change key</translation>
    </message>
    <message>
        <source>Изменение инициализирующего ключа</source>
        <translation>Change initialisation key</translation>
    </message>
    <message>
        <source>Изменение количества единиц пополнения</source>
        <translation>Change recharge units</translation>
    </message>
    <message>
        <source>Чтение количества единиц пополнения</source>
        <translation>Read recharge units</translation>
    </message>
    <message>
        <source>Изменение режима работы</source>
        <translation>Change operating mode</translation>
    </message>
    <message>
        <source>Чтение режима работы</source>
        <translation>Read operating mode</translation>
    </message>
    <message>
        <source>Изменение типа карточки</source>
        <translation>Change card type</translation>
    </message>
    <message>
        <source>Чтение типа карточки</source>
        <translation>Read card type</translation>
    </message>
    <message>
        <source>Изменение текущей даты</source>
        <translation>Change current date</translation>
    </message>
    <message>
        <source>Чтение текущей даты</source>
        <translation>Read current date</translation>
    </message>
    <message>
        <source>Изменение конечной даты</source>
        <translation>Change end date</translation>
    </message>
    <message>
        <source>Чтение конечной даты</source>
        <translation>Read end date</translation>
    </message>
    <message>
        <source>Выбор номера сектора для записи данных</source>
        <translation>Select the data sector</translation>
    </message>
    <message>
        <source>Чтение номера сектора, выбранного для записи данных</source>
        <translation>Read the data sector</translation>
    </message>
    <message>
        <source>Изменение таймаута прохода по карточкам &quot;Абонемент&quot;</source>
        <translation>Change subscription pass timeout</translation>
    </message>
    <message>
        <source>Чтение таймаута прохода по карточкам &quot;Абонемент&quot;</source>
        <translation>Read subscription pass timeout</translation>
    </message>
    <message>
        <source>Изменение времени работы реле</source>
        <translation>Change relay time</translation>
    </message>
    <message>
        <source>Чтение временин работы реле</source>
        <translation>Read relay time</translation>
    </message>
    <message>
        <source>Изменение черного списка кассовых аппаратов</source>
        <translation>Change cash register black list</translation>
    </message>
    <message>
        <source>Чтение черного списка кассовых аппаратов</source>
        <translation>Read cash register black list</translation>
    </message>
    <message>
        <source>Неизвестная команда</source>
        <translation>Unknown command</translation>
    </message>
    <message>
        <source>несоответствие контрольной суммы</source>
        <translation>checksum mismatch</translation>
    </message>
    <message>
        <source>таймаут</source>
        <translation>timeout</translation>
    </message>
    <message>
        <source>доступ запрещен</source>
        <translation>access denied</translation>
    </message>
    <message>
        <source>неправильный формат данных</source>
        <translation>wrong data format</translation>
    </message>
    <message>
        <source>ошибка фрейма</source>
        <translation>framing error</translation>
    </message>
    <message>
        <source>ошибка четности</source>
        <translation>parity error</translation>
    </message>
    <message>
        <source>коллизия</source>
        <translation>collision</translation>
    </message>
    <message>
        <source>не полный UID</source>
        <translation>incomplete UID</translation>
    </message>
    <message>
        <source>ошибка типа</source>
        <translation>type error</translation>
    </message>
    <message>
        <source>нет ответа</source>
        <translation>no answer</translation>
    </message>
    <message>
        <source>неправильная команда</source>
        <translation>wrong command</translation>
    </message>
    <message>
        <source>ошибка &quot;BadBitPassWrite&quot;</source>
        <translation>&quot;BadBitPassWrite&quot; error</translation>
    </message>
    <message>
        <source>неправильный тип ключа</source>
        <translation>wrong key type</translation>
    </message>
    <message>
        <source>неправильной значение</source>
        <translation>wrong value</translation>
    </message>
    <message>
        <source>команда не может быть обработана в текущем режиме</source>
        <translation>command cannot be processed in the current mode</translation>
    </message>
    <message>
        <source>ключ не может быть обработан в текущем режиме</source>
        <translation>key cannot be processed in the current mode</translation>
    </message>
    <message>
        <source>неправильный формат даты</source>
        <translation>wrong date format</translation>
    </message>
    <message>
        <source>неправильный номер сектора, выбранного для записи данных</source>
        <translation>wrong data sector number</translation>
    </message>
    <message>
        <source>тестовая ошибка</source>
        <translation>test error</translation>
    </message>
    <message>
        <source>неизвестная ошибка</source>
        <translation>unknown error</translation>
    </message>
    <message>
        <source>успешно</source>
        <translation>accepted</translation>
    </message>
    <message>
        <source>неверная длина</source>
        <translation>wrong length</translation>
    </message>
    <message>
        <source>статус</source>
        <translation>status</translation>
    </message>
    <message>
        <source>Quillmar</source>
        <translation>Quillmar</translation>
    </message>
    <message>
        <source>Турникет</source>
        <translation>Turnstile</translation>
    </message>
    <message>
        <source>Чтение</source>
        <translation>Reading</translation>
    </message>
    <message>
        <source>Пополнение</source>
        <translation>Recharge</translation>
    </message>
    <message>
        <source>Инициализация</source>
        <translation>Initialisation</translation>
    </message>
    <message>
        <source>Пополняемая</source>
        <translation>Rechargeable</translation>
    </message>
    <message>
        <source>Абонемент</source>
        <translation>Subscription</translation>
    </message>
    <message>
        <source>Номер кассы</source>
        <translation>Cash desk number</translation>
    </message>
    <message>
        <source>Режим работы</source>
        <translation>Operating mode</translation>
    </message>
    <message>
        <source>Тип карточки</source>
        <translation>Card type</translation>
    </message>
    <message>
        <source>Cектор</source>
        <translation>Sector</translation>
    </message>
    <message>
        <source>Таймаут абонемента (сек)</source>
        <translation>Subscription timeout (s)</translation>
    </message>
    <message>
        <source>Время реле (сек)</source>
        <translation>Relay time (s)</translation>
    </message>
    <message>
        <source>Черный список</source>
        <translation>Black list</translation>
    </message>
    <message>
        <source>Чтение параметров считывателя</source>
        <translation>Reading reader parameters</translation>
    </message>
    <message>
        <source>Во время чтения параметров считывателя произошли ошибки: <byte value="xd"/>
</source>
        <translation>Errors occurred while reading the reader parameters: <byte value="xd"/>
</translation>
    </message>
    <message>
        <source>Запись параметров считывателя</source>
        <translation>Writing reader parameters</translation>
    </message>
    <message>
        <source>Во время записи параметров считывателя произошли ошибки: <byte value="xd"/>
</source>
        <translation>Errors occurred while writing the reader parameters: <byte value="xd"/>
</translation>
    </message>
    <message>
        <source>Изменение ключей</source>
        <translation>Changing keys</translation>
    </message>
    <message>
        <source>Во время изменения ключей произошли ошибки: <byte value="xd"/>
</source>
        <translation>Errors occurred while changing the keys: <byte value="xd"/>
</translation>
    </message>
    <message>
        <source>Поиск считывателей</source>
        <translation>Reader search</translation>
    </message>
    <message>
        <source>Во время поиска считывателей произошли ошибки: <byte value="xd"/>
</source>
        <translation>Errors occurred during the reader search: <byte value="xd"/>
</translation>
    </message>
    <message>
        <source>Считыватели не обнаружены</source>
        <translation>No readers found</translation>
    </message>
    <message>
        <source>Необходимо выбрать считыватель</source>
        <translation>Select a reader</translation>
    </message>
    <message>
        <source>Необходимо выбрать режим работы считывателя</source>
        <translation>Select the reader&apos;s operating mode</translation>
    </message>
    <message>
        <source>Необходимо выбрать тип карточки</source>
        <translation>Select the card type</translation>
    </message>
    <message>
        <source>Изменение ключей возможно только в режимах &quot;Турникет&quot;, &quot;Чтение&quot;, &quot;Пополнение&quot; и &quot;Инициализация&quot;</source>
        <translation>Keys can be changed only in the modes &quot;Turnstile&quot;, &quot;Reading&quot;, &quot;Recharge&quot; and &quot;Initialisation&quot;</translation>
    </message>
    <message>
        <source>Текущая дата</source>
        <translation>Current date</translation>
    </message>
    <message>
        <source>Конечная дата</source>
        <translation>End date</translation>
    </message>
    <message>
        <source>%1 %2 не может быть записана: считыватель хранит даты с %3 по %4</source>
        <translation>%1 %2 cannot be written: a reader stores dates from %3 to %4</translation>
    </message>
    <message>
        <source>не используется в режиме считывателя &quot;%1&quot;</source>
        <translation>not used in the reader&apos;s mode &quot;%1&quot;</translation>
    </message>
</context>
<context>
    <name>SaveFile</name>
    <message>
        <source>Не удалось сохранить файл %1</source>
        <translation>Could not save the file %1</translation>
    </message>
</context>
<context>
    <name>TComComboBox</name>
    <message>
        <source>серийный номер %1</source>
        <translation>serial number %1</translation>
    </message>
</context>
<context>
    <name>TExchangeLogModel</name>
    <message>
        <source>Время</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>Адрес</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>Команда</source>
        <translation>Command</translation>
    </message>
    <message>
        <source>Попытка</source>
        <translation>Attempt</translation>
    </message>
    <message>
        <source>Задержка, мс</source>
        <translation>Round trip, ms</translation>
    </message>
    <message>
        <source>Результат</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>Запрос</source>
        <translation>Request</translation>
    </message>
    <message>
        <source>Ответ</source>
        <translation>Response</translation>
    </message>
    <message>
        <source>прервано</source>
        <translation>interrupted</translation>
    </message>
    <message>
        <source>ожидание</source>
        <translation>waiting</translation>
    </message>
</context>
<context>
    <name>TExchangeLogWindow</name>
    <message>
        <source>Журнал обмена</source>
        <translation>Exchange log</translation>
    </message>
    <message>
        <source>Очистить</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>Удалить все строки журнала обмена</source>
        <translation>Remove every row of the exchange log</translation>
    </message>
    <message>
        <source>Сохранить…</source>
        <translation>Save…</translation>
    </message>
    <message>
        <source>Сохранить журнал обмена в файл CSV</source>
        <translation>Save the exchange log to a CSV file</translation>
    </message>
    <message>
        <source>Сохранение журнала обмена</source>
        <translation>Saving the exchange log</translation>
    </message>
</context>
<context>
    <name>TParameterPanel</name>
    <message>
        <source>Считыватель</source>
        <translation>Reader</translation>
    </message>
    <message>
        <source>Журнал</source>
        <translation>Log</translation>
    </message>
</context>
<context>
    <name>TParvexForm</name>
    <message>
        <source>Сохранение журнала</source>
        <translation>Saving the log</translation>
    </message>
    <message>
        <source>Сохранение параметров</source>
        <translation>Saving parameters</translation>
    </message>
    <message>
        <source>Загрузка параметров</source>
        <translation>Loading parameters</translation>
    </message>
    <message>
        <source>Параметры не сохранены:<byte value="xd"/>
</source>
        <translation>Parameters not saved:<byte value="xd"/>
</translation>
    </message>
    <message>
        <source>Не удалось сохранить параметры в файл &quot;%1&quot;:</source>
        <translation>Could not save the parameters to the file &quot;%1&quot;:</translation>
    </message>
    <message>
        <source>Не удалось загрузить параметры из файла &quot;%1&quot;:</source>
        <translation>Could not load the parameters from the file &quot;%1&quot;:</translation>
    </message>
    <message>
        <source>Запись во все считыватели</source>
        <translation>Write to every reader</translation>
    </message>
    <message>
        <source>В&amp;ыход</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>Выйти из программы</source>
        <translation>Quit the program</translation>
    </message>
    <message>
        <source>&amp;Изменение ключей</source>
        <translation>Change &amp;keys</translation>
    </message>
    <message>
        <source>&amp;Открыть</source>
        <translation>&amp;Open</translation>
    </message>
    <message>
        <source>Открыть порт</source>
        <translation>Open the port</translation>
    </message>
    <message>
        <source>&amp;Закрыть</source>
        <translation>&amp;Close</translation>
    </message>
    <message>
        <source>Закрыть порт</source>
        <translation>Close the port</translation>
    </message>
    <message>
        <source>&amp;Параметры</source>
        <translation>&amp;Settings</translation>
    </message>
    <message>
        <source>Изменить параметры порта</source>
        <translation>Change the port settings</translation>
    </message>
    <message>
        <source>&amp;Вычитать параметры</source>
        <translation>&amp;Read parameters</translation>
    </message>
    <message>
        <source>Вычитать данные из считывателя</source>
        <translation>Read the data from the reader</translation>
    </message>
    <message>
        <source>&amp;Записать параметры</source>
        <translation>&amp;Write parameters</translation>
    </message>
    <message>
        <source>Записать данные в считыватель</source>
        <translation>Write the data to the reader</translation>
    </message>
    <message>
        <source>Очистить журнал</source>
        <translation>Clear log</translation>
    </message>
    <message>
        <source>&amp;Журнал обмена</source>
        <translation>E&amp;xchange log</translation>
    </message>
    <message>
        <source>Показать журнал обмена со считывателями</source>
        <translation>Show the log of exchanges with the readers</translation>
    </message>
    <message>
        <source>&amp;Сохранить параметры…</source>
        <translation>&amp;Save parameters…</translation>
    </message>
    <message>
        <source>Сохранить параметры считывателя в файл</source>
        <translation>Save the reader parameters to a file</translation>
    </message>
    <message>
        <source>За&amp;грузить параметры…</source>
        <translation>&amp;Load parameters…</translation>
    </message>
    <message>
        <source>Загрузить параметры считывателя из файла, ничего не отправляя</source>
        <translation>Load the reader parameters from a file, sending nothing</translation>
    </message>
    <message>
        <source>Записать во &amp;все считыватели</source>
        <translation>Write to &amp;every reader</translation>
    </message>
    <message>
        <source>Записать параметры во все найденные считыватели и проверить чтением</source>
        <translation>Write the parameters to every reader found and verify them by reading</translation>
    </message>
    <message>
        <source>Программатор считывателя</source>
        <translation>Reader programmer</translation>
    </message>
    <message>
        <source>&amp;Порт</source>
        <translation>&amp;Port</translation>
    </message>
    <message>
        <source>Считыватель</source>
        <translation>Reader</translation>
    </message>
    <message>
        <source>&amp;Открыть объект…</source>
        <translation>&amp;Open site…</translation>
    </message>
    <message>
        <source>Открыть файл объекта: его линии и считыватели с их планом</source>
        <translation>Open a site file: its lines and readers with their plan</translation>
    </message>
    <message>
        <source>О&amp;бследовать</source>
        <translation>&amp;Survey</translation>
    </message>
    <message>
        <source>Найти и прочитать все считыватели объекта и сравнить с планом</source>
        <translation>Find and read every reader of the site and compare it with the plan</translation>
    </message>
    <message>
        <source>&amp;Применить</source>
        <translation>&amp;Apply</translation>
    </message>
    <message>
        <source>Записать план в считыватели объекта, которые от него отличаются</source>
        <translation>Write the plan to the site&apos;s readers that differ from it</translation>
    </message>
    <message>
        <source>Сохранить &amp;снимок…</source>
        <translation>Save s&amp;napshot…</translation>
    </message>
    <message>
        <source>Прочитать все считыватели объекта и сохранить их параметры в файл объекта</source>
        <translation>Read every reader of the site and save their parameters to a site file</translation>
    </message>
    <message>
        <source>О&amp;бъект</source>
        <translation>S&amp;ite</translation>
    </message>
    <message>
        <source>Открыть объект %1</source>
        <translation>Open site %1</translation>
    </message>
    <message>
        <source>Адаптер порта %1 отключён; когда он вернётся, порт можно будет открыть снова</source>
        <translation>The adapter of port %1 is gone; once it is back, the port can be opened again</translation>
    </message>
    <message>
        <source>Адаптер подключён</source>
        <translation>Adapter plugged in</translation>
    </message>
    <message>
        <source>Адаптер порта %1 снова подключён. Открыть порт?</source>
        <translation>The adapter of port %1 is plugged in again. Open the port?</translation>
    </message>
    <message>
        <source>&amp;Новый объект из подключённых линий…</source>
        <translation>&amp;New site from the lines plugged in…</translation>
    </message>
    <message>
        <source>Найти считыватели на каждом подключённом адаптере на каждой скорости и записать их в новый файл объекта</source>
        <translation>Find the readers on every adapter plugged in at every rate and write them into a new site file</translation>
    </message>
</context>
<context>
    <name>TSiteWindow</name>
    <message>
        <source>Объект</source>
        <translation>Site</translation>
    </message>
    <message>
        <source>Линия / адрес</source>
        <translation>Line / address</translation>
    </message>
    <message>
        <source>Серийный номер</source>
        <translation>Serial number</translation>
    </message>
    <message>
        <source>Состояние</source>
        <translation>State</translation>
    </message>
    <message>
        <source>Выберите считыватель: здесь будут его отличия от плана или ошибки</source>
        <translation>Select a reader: its differences from the plan or its errors show here</translation>
    </message>
    <message>
        <source>Только требующие внимания</source>
        <translation>Only those needing attention</translation>
    </message>
    <message>
        <source>Скрыть считыватели, которые совпадают с планом</source>
        <translation>Hide the readers that match the plan</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Каждая линия закончит считыватель, с которым работает, и остановится</source>
        <translation>Each line finishes the reader it is working on and stops</translation>
    </message>
    <message>
        <source>Сохранить отчёт…</source>
        <translation>Save report…</translation>
    </message>
    <message>
        <source>Сохранить таблицу объекта в файл CSV</source>
        <translation>Save the site&apos;s table to a CSV file</translation>
    </message>
    <message>
        <source>Открытие объекта</source>
        <translation>Opening a site</translation>
    </message>
    <message>
        <source>Файл объекта не принят: %1</source>
        <translation>Site file refused: %1</translation>
    </message>
    <message>
        <source>Объект: %1</source>
        <translation>Site: %1</translation>
    </message>
    <message>
        <source>Применение объекта</source>
        <translation>Applying a site</translation>
    </message>
    <message>
        <source>%1. Ни один считыватель не отличается от плана: записывать нечего.</source>
        <translation>%1. No reader differs from the plan: nothing to write.</translation>
    </message>
    <message>
        <source>Журнал объекта не открыт; ничего не записано</source>
        <translation>The site journal could not be opened; nothing was written</translation>
    </message>
    <message>
        <source>Остановка: каждая линия заканчивает считыватель, с которым работает…</source>
        <translation>Stopping: each line finishes the reader it is working on…</translation>
    </message>
    <message>
        <source>Сохранение отчёта</source>
        <translation>Saving the report</translation>
    </message>
    <message>
        <source>Применение…</source>
        <translation>Applying…</translation>
    </message>
    <message>
        <source>Обследование…</source>
        <translation>Surveying…</translation>
    </message>
    <message>
        <source>Снимок объекта</source>
        <translation>Site snapshot</translation>
    </message>
    <message>
        <source>Не удалось сохранить файл %1</source>
        <translation>Could not save the file %1</translation>
    </message>
    <message>
        <source>запись…</source>
        <translation>writing…</translation>
    </message>
    <message>
        <source>запись: %1 из %2</source>
        <translation>writing: %1 of %2</translation>
    </message>
    <message>
        <source>обследование: %1 из %2</source>
        <translation>surveying: %1 of %2</translation>
    </message>
    <message numerus="yes">
        <source>Линий: %n</source>
        <translation>
            <numerusform>Lines: %n</numerusform>
            <numerusform>Lines: %n</numerusform>
        </translation>
    </message>
    <message>
        <source>Снимок %1 сохранён неполным: в нём нет считывателей, которые не прочитаны, и линий, которые не обследованы.</source>
        <translation>The snapshot %1 was saved incomplete: it lacks the readers that could not be read and the lines that could not be surveyed.</translation>
    </message>
    <message>
        <source>Прошлое применение прервано во время записи</source>
        <translation>An earlier apply was interrupted while writing</translation>
    </message>
    <message>
        <source>адаптер отключён: линия ждёт его</source>
        <translation>adapter gone: the line waits for it</translation>
    </message>
    <message>
        <source>Новый объект из подключённых линий</source>
        <translation>New site from the lines plugged in</translation>
    </message>
    <message>
        <source>Не удалось узнать, какие адаптеры подключены</source>
        <translation>Could not find out which adapters are plugged in</translation>
    </message>
    <message>
        <source>Ни один последовательный адаптер не подключён</source>
        <translation>No serial adapter is plugged in</translation>
    </message>
    <message>
        <source>Поиск считывателей на скорости %1 бод…</source>
        <translation>Searching for readers at %1 baud…</translation>
    </message>
    <message>
        <source>Поиск остановлен; файл не записан.</source>
        <translation>Search stopped; no file written.</translation>
    </message>
    <message>
        <source>Ни на одном адаптере ни на одной скорости не ответил ни один считыватель; файл не записан.</source>
        <translation>No reader answered on any adapter at any rate; no file written.</translation>
    </message>
    <message>
        <source>Найденные линии (%1) записаны в %2 как новый объект.</source>
        <translation>The lines found (%1) are written to %2 as a new site.</translation>
    </message>
</context>
<context>
    <name>TSiteWords</name>
    <message>
        <source>совпадает</source>
        <translation>matches</translation>
    </message>
    <message>
        <source>записан</source>
        <translation>written</translation>
    </message>
    <message>
        <source>отличается</source>
        <translation>differs</translation>
    </message>
    <message>
        <source>нет ответа</source>
        <translation>no answer</translation>
    </message>
    <message>
        <source>другой считыватель</source>
        <translation>other reader</translation>
    </message>
    <message>
        <source>ошибка</source>
        <translation>failed</translation>
    </message>
    <message>
        <source>не в плане</source>
        <translation>not in plan</translation>
    </message>
    <message>
        <source>не обследован</source>
        <translation>not surveyed</translation>
    </message>
    <message numerus="yes">
        <source>отличается: %n поле</source>
        <translation>
            <numerusform>differs: %n field</numerusform>
            <numerusform>differs: %n fields</numerusform>
        </translation>
    </message>
    <message>
        <source>открыта</source>
        <translation>open</translation>
    </message>
    <message>
        <source>не открыта: %1</source>
        <translation>not open: %1</translation>
    </message>
    <message>
        <source>потеряна: %1</source>
        <translation>lost: %1</translation>
    </message>
    <message>
        <source>оставлена: считыватели не отвечают</source>
        <translation>given up: the readers do not answer</translation>
    </message>
    <message>
        <source>, остановлена</source>
        <translation>, stopped</translation>
    </message>
    <message>
        <source>%1: по плану %2, найдено %3</source>
        <translation>%1: planned %2, found %3</translation>
    </message>
    <message>
        <source>%1: по плану %2, не прочитано</source>
        <translation>%1: planned %2, not read</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message numerus="yes">
        <source>Считывателей: %n</source>
        <translation>
            <numerusform>Readers: %n</numerusform>
            <numerusform>Readers: %n</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 — %2</source>
        <translation>%1 — %2</translation>
    </message>
    <message>
        <source>Записать параметры в %1 на %2?</source>
        <translation>Write the parameters to %1 on %2?</translation>
    </message>
    <message numerus="yes">
        <source>%n считывателей</source>
        <translation>
            <numerusform>%n reader</numerusform>
            <numerusform>%n readers</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n линиях</source>
        <translation>
            <numerusform>%n line</numerusform>
            <numerusform>%n lines</numerusform>
        </translation>
    </message>
    <message>
        <source>Линия</source>
        <translation>Line</translation>
    </message>
    <message>
        <source>Порт</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>Адрес</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>Серийный номер</source>
        <translation>Serial number</translation>
    </message>
    <message>
        <source>Состояние</source>
        <translation>State</translation>
    </message>
    <message>
        <source>Подробности</source>
        <translation>Details</translation>
    </message>
    <message>
        <source>неизвестное поле</source>
        <translation>unknown field</translation>
    </message>
    <message>
        <source>не задано</source>
        <translation>missing</translation>
    </message>
    <message>
        <source>%1 — не целое число от %2 до %3</source>
        <translation>%1 is not a whole number from %2 to %3</translation>
    </message>
    <message>
        <source>%1 — не одно из значений %2</source>
        <translation>%1 is not one of %2</translation>
    </message>
    <message>
        <source>%1 — не 4 шестнадцатеричные цифры</source>
        <translation>%1 is not 4 hex digits</translation>
    </message>
    <message>
        <source>%1 — ни файл параметров, ни объект с параметрами</source>
        <translation>%1 is neither a parameters file nor an object of parameters</translation>
    </message>
    <message>
        <source>файл не читается: %1</source>
        <translation>cannot be read: %1</translation>
    </message>
    <message>
        <source>не объект JSON {...}</source>
        <translation>is not a JSON object {...}</translation>
    </message>
    <message>
        <source>%1 — не имя порта</source>
        <translation>%1 is not a port name</translation>
    </message>
    <message>
        <source>не список [...]</source>
        <translation>is not a list [...]</translation>
    </message>
    <message>
        <source>этот адрес уже есть на линии</source>
        <translation>given twice on this line</translation>
    </message>
    <message>
        <source>файл больше %1 КиБ — это не файл объекта</source>
        <translation>larger than %1 KiB: not a site file</translation>
    </message>
    <message>
        <source>не JSON: %1 (позиция %2)</source>
        <translation>not JSON: %1 at offset %2</translation>
    </message>
    <message>
        <source>не файл объекта: в нём нет объекта JSON {...}</source>
        <translation>not a site file: it holds no JSON object {...}</translation>
    </message>
    <message>
        <source>%1 — не название</source>
        <translation>%1 is not a name</translation>
    </message>
    <message>
        <source>линия %1</source>
        <translation>line %1</translation>
    </message>
    <message>
        <source>линия %1 (%2)</source>
        <translation>line %1 (%2)</translation>
    </message>
    <message>
        <source>считыватель %1</source>
        <translation>reader %1</translation>
    </message>
    <message>
        <source>то же устройство, что у линии %1 (%2)</source>
        <translation>the same device as line %1 (%2)</translation>
    </message>
    <message numerus="yes">
        <source>часы будут переведены назад на %n день</source>
        <translation>
            <numerusform>sets the clock back %n day</numerusform>
            <numerusform>sets the clock back %n days</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>часы отстают на %n день</source>
        <translation>
            <numerusform>clock %n day behind</numerusform>
            <numerusform>clock %n days behind</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>часы спешат на %n день</source>
        <translation>
            <numerusform>clock %n day ahead</numerusform>
            <numerusform>clock %n days ahead</numerusform>
        </translation>
    </message>
    <message>
        <source>%1, самое большее на %2.</source>
        <translation>%1, by %2 at most.</translation>
    </message>
    <message numerus="yes">
        <source>Часы %n считывателя будут переведены назад</source>
        <translation>
            <numerusform>The clock of %n reader will be set back</numerusform>
            <numerusform>The clocks of %n readers will be set back</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n день</source>
        <translation>
            <numerusform>%n day</numerusform>
            <numerusform>%n days</numerusform>
        </translation>
    </message>
    <message>
        <source>остановлена: журнал не записан: %1</source>
        <translation>stopped: the journal could not be written: %1</translation>
    </message>
    <message numerus="yes">
        <source>Оборванная последняя строка журнала (%n байт) отрезана.</source>
        <translation>
            <numerusform>A torn last line of the journal (%n byte) was cut off.</numerusform>
            <numerusform>A torn last line of the journal (%n bytes) was cut off.</numerusform>
        </translation>
    </message>
    <message>
        <source>Запись прервана %1, %2@%3: %4, считыватель %5, поля %6</source>
        <translation>Interrupted while writing on %1 by %2@%3: %4, reader %5, fields %6</translation>
    </message>
    <message>
        <source>записан и проверен</source>
        <translation>written and verified</translation>
    </message>
    <message>
        <source>ошибки</source>
        <translation>errors</translation>
    </message>
    <message>
        <source>прочитан иначе, чем записан</source>
        <translation>read back otherwise than written</translation>
    </message>
    <message>
        <source>запись прервана</source>
        <translation>write interrupted</translation>
    </message>
    <message>
        <source>История записей:</source>
        <translation>Writes:</translation>
    </message>
    <message>
        <source>%1: %2 → %3</source>
        <translation>%1: %2 → %3</translation>
    </message>
    <message>
        <source>%1, %2@%3, серийный номер %4: %5</source>
        <translation>%1, %2@%3, serial %4: %5</translation>
    </message>
    <message>
        <source>линия %1 (%2): %3</source>
        <translation>line %1 (%2): %3</translation>
    </message>
    <message>
        <source>не записан: его не было в вопросе</source>
        <translation>not written: it was not in the question</translation>
    </message>
    <message>
        <source>не записан: теперь это другой считыватель (был %1)</source>
        <translation>not written: now another reader (was %1)</translation>
    </message>
    <message>
        <source>не записан: изменился после вопроса</source>
        <translation>not written: changed since the question</translation>
    </message>
    <message>
        <source>%1 — не адрес схемы</source>
        <translation>%1 is not the address of a schema</translation>
    </message>
    <message>
        <source>Линия %1 (%2) названа в порядке подключения адаптеров; её имя, которое не меняется: %3</source>
        <translation>Line %1 (%2) is named in the order the adapters were plugged in; its name that stays is %3</translation>
    </message>
</context>
<context>
    <name>TTerminalView</name>
    <message>
        <source>Время</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>Показывать время прихода каждой строки</source>
        <translation>Show the time each line arrived</translation>
    </message>
    <message>
        <source>Показывать байты каждой строки в шестнадцатеричном виде</source>
        <translation>Show the bytes of each line in hex</translation>
    </message>
    <message>
        <source>Сохранить журнал…</source>
        <translation>Save log…</translation>
    </message>
    <message>
        <source>Сохранить журнал в текстовый файл</source>
        <translation>Save the log to a text file</translation>
    </message>
</context>
<context>
    <name>TfrmWriteAllProgress</name>
    <message>
        <source>Запись во все считыватели</source>
        <translation>Write to every reader</translation>
    </message>
    <message>
        <source>%v из %m</source>
        <translation>%v of %m</translation>
    </message>
    <message>
        <source>Запись остановится после текущего считывателя</source>
        <translation>Writing stops after the current reader</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Считыватель %1 из %2: %3</source>
        <translation>Reader %1 of %2: %3</translation>
    </message>
</context>
<context>
    <name>TfrmWriteAllResults</name>
    <message>
        <source>не записан: запись отменена</source>
        <translation>not written: writing cancelled</translation>
    </message>
    <message>
        <source>записан и проверен</source>
        <translation>written and verified</translation>
    </message>
    <message>
        <source>ошибки</source>
        <translation>errors</translation>
    </message>
    <message>
        <source>прочитан не так, как записан</source>
        <translation>read back otherwise than written</translation>
    </message>
    <message>
        <source>Запись во все считыватели: результат</source>
        <translation>Write to every reader: result</translation>
    </message>
    <message>
        <source>Считыватель</source>
        <translation>Reader</translation>
    </message>
    <message>
        <source>Результат</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Записано и проверено: %1 из %2</source>
        <translation>Written and verified: %1 of %2</translation>
    </message>
</context>
<context>
    <name>TfrmWriteKeys</name>
    <message>
        <source>Ключ A - для чтения информации и уменьшения количества проходов</source>
        <translation>Key A - for reading and for counting down passes</translation>
    </message>
    <message>
        <source>Ключ B - для пополнения</source>
        <translation>Key B - for recharging</translation>
    </message>
    <message>
        <source>Ключ для инициализации новых карт</source>
        <translation>Key for initialising new cards</translation>
    </message>
    <message>
        <source>Тип ключа для инициализации новых карт</source>
        <translation>Key type for initialising new cards</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
</context>
</TS>
