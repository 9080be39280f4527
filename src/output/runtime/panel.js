// Панель консоли: console.log, console.error и console.warn дописывают строки текстом в панель результата.
(function () {
  if (typeof document === 'undefined') return;
  var панель = document.getElementById("result");
  if (!панель) return;
  function собрать(аргументы) {
    var части = [];
    for (var i = 0; i < аргументы.length; i++) {
      var значение = аргументы[i];
      var часть;
      try {
        часть = (typeof значение === 'object' && значение !== null) ? JSON.stringify(значение) : String(значение);
      } catch (ошибка) {
        try {
          часть = String(значение);
        } catch (ещёОшибка) {
          часть = Object.prototype.toString.call(значение);
        }
      }
      части.push(часть);
    }
    return части.join(' ');
  }
  // Вывод дописывается текстом: "<" и "&" видны как написаны; HTML понимает только consolelog.
  function дописать(строка, цвет) {
    панель.style.display = 'block';
    if (цвет) панель.style.color = цвет;
    if (панель.appendChild && document.createTextNode) панель.appendChild(document.createTextNode(строка + '\n'));
    else панель.innerHTML += строка.replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;') + '\n';
  }
  var старыйЛог = console.log.bind(console);
  var стараяОшибка = console.error.bind(console);
  var староеПредупреждение = console.warn.bind(console);
  console.log = function () {
    старыйЛог.apply(null, arguments);
    дописать(собрать(arguments), 'white');
  };
  console.error = function () {
    стараяОшибка.apply(null, arguments);
    дописать('ОШИБКА: ' + собрать(arguments), 'red');
  };
  console.warn = function () {
    староеПредупреждение.apply(null, arguments);
    дописать('ПРЕДУПРЕЖДЕНИЕ: ' + собрать(arguments), 'orange');
  };
})();
