// Режим наблюдения: кнопка «По шагам» открывает ту же программу по шагам (адрес /step, где её
// выполняет step.js), а там кнопка «Обычный запуск» возвращает обычную страницу. Если step.js не
// установлен рядом с lum, кнопка так и говорит.
(function () {
  var поШагам = document.querySelector('script#js[type="text/plain"]') !== null;
  var кнопка = document.createElement('button');
  кнопка.type = 'button';
  кнопка.id = 'лус-по-шагам';
  кнопка.textContent = поШагам ? 'Обычный запуск' : 'По шагам';
  кнопка.title = поШагам ? 'Запустить программу как обычно' : 'Выполнить программу по шагам: строка за строкой, с переменными';
  кнопка.style.cssText = 'position: fixed; top: 8px; z-index: 2147483647; font: 15px Verdana, sans-serif; ' +
    'padding: 4px 10px; cursor: pointer; right: ' + (поШагам ? 'calc(min(46vw, 640px) + 12px)' : '8px') + ';';
  function сказать(текст) {
    var весть = document.createElement('div');
    весть.setAttribute('role', 'alert');
    весть.style.cssText = 'position: fixed; top: 44px; right: 8px; max-width: 420px; z-index: 2147483647; ' +
      'padding: 8px 12px; background: #fff8e1; color: #222; border: 2px solid #e0a800; border-radius: 6px; ' +
      'font: 15px/1.4 Verdana, sans-serif;';
    весть.textContent = текст;
    document.body.appendChild(весть);
  }
  кнопка.onclick = function () {
    if (поШагам) {
      location.href = '/';
      return;
    }
    fetch('/step.js', { cache: 'no-store' }).then(function (ответ) {
      if (ответ.ok) location.href = '/step';
      else сказать('«По шагам» не установлен: рядом с lum нет файла step.js (его собирают вместе с песочницей playground.html).');
    }, function () {
      сказать('Сервер режима наблюдения не отвечает: запустите lum -w снова.');
    });
  };
  document.body.appendChild(кнопка);
})();
