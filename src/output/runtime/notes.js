// Режим наблюдения: показывает поверх страницы предупреждения и подсказки последней компиляции
// (их отдаёт сервер по '/notes'; в записанный файл они не попадают): у каждого замечания — его
// строка программы и метка под ней. Страница, чья сборка уже не та, что раздаёт сервер,
// перезагружается.
(function () {
  var сборка = '__LUM_BUILD__';
  var названия = { 'ПРЕДУПРЕЖДЕНИЕ': 'Предупреждение', 'ПОДСКАЗКА': 'Подсказка' };

  function строкиПрограммы() {
    var блок = document.getElementById('lup');
    if (!блок) return [];
    var текст = блок.textContent;
    if (текст.charAt(0) === '\n') текст = текст.slice(1);
    return текст.split('\n');
  }

  function элемент(тег, стиль, текст) {
    var узел = document.createElement(тег);
    узел.style.cssText = стиль;
    if (текст !== undefined) узел.textContent = текст;
    return узел;
  }

  // Одно замечание: «Предупреждение: строка 4: …», затем сама строка 4 (номер — из данных
  // сервера, не из текста) и метка под ней.
  function замечание(строка, номерСтроки, файл, строки) {
    var вид = строка.split(' ')[0];
    var начало = вид + ' [' + файл + ']: ';
    var текст = строка.indexOf(начало) === 0 ? строка.slice(начало.length) : строка;
    var блок = элемент('div', 'margin-top: 8px;');
    блок.appendChild(элемент('b', 'color: ' + (вид === 'ПОДСКАЗКА' ? '#1d5fa8' : '#b35900') + ';',
      (названия[вид] || вид) + ': '));
    блок.appendChild(document.createTextNode(текст));
    var код = номерСтроки > 0 ? строки[номерСтроки - 1] : undefined;
    if (код !== undefined && код.trim() !== '') {
      var отступ = код.length - код.replace(/^\s+/, '').length;
      var поле = String(номерСтроки).replace(/./g, ' ');
      блок.appendChild(элемент('pre', 'margin: 4px 0 0; padding: 4px 6px; background: #fff; ' +
        'border-left: 3px solid #d33; font: 14px/1.3 monospace; white-space: pre; overflow-x: auto;',
        номерСтроки + ' | ' + код.replace(/\r$/, '') + '\n' + поле + ' | ' + код.slice(0, отступ).replace(/[^\t]/g, ' ') +
        код.trim().replace(/./g, '^')));
    }
    return блок;
  }

  function показать(данные) {
    var строки = строкиПрограммы();
    var окно = элемент('div', 'position: fixed; right: 12px; bottom: 12px; z-index: 2147483647; ' +
      'max-width: min(720px, calc(100vw - 24px)); max-height: 60vh; overflow: auto; box-sizing: border-box; ' +
      'padding: 10px 14px; background: #fff8e1; color: #222; border: 2px solid #e0a800; border-radius: 6px; ' +
      'box-shadow: 0 4px 16px rgba(0, 0, 0, 0.35); font: 15px/1.4 Verdana, sans-serif; text-align: left;');
    окно.id = 'лус-замечания';
    окно.setAttribute('role', 'dialog');
    var шапка = элемент('div', 'display: flex; gap: 12px; align-items: baseline; justify-content: space-between;');
    шапка.appendChild(элемент('b', '', 'Замечания к программе ' + данные.file));
    var закрыть = элемент('button', 'font: inherit; cursor: pointer;', 'Закрыть');
    закрыть.type = 'button';
    закрыть.onclick = function () {
      окно.remove();
    };
    шапка.appendChild(закрыть);
    окно.appendChild(шапка);
    for (var i = 0; i < данные.notes.length; i++) окно.appendChild(замечание(данные.notes[i], данные.lines[i] || 0, данные.file, строки));
    document.body.appendChild(окно);
  }

  fetch('/notes', { cache: 'no-store' }).then(function (ответ) {
    return ответ.ok ? ответ.json() : null;
  }).then(function (данные) {
    if (!данные) return;
    if (данные.build !== сборка) {
      location.reload();
    } else if (данные.notes.length) {
      показать(данные);
    }
  }).catch(function () {});
})();
